// What a property storage keeps of the grid's columns beside their own properties: each
// column's width, and the order of the columns as a list of their field names.
#include <memory>
#include <string>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExResources.h"
#include "controls/grid/DBGridExUtils.h"
#include "controls/grid/PropFilerEx.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/UpdateScope.h"

namespace grid {

namespace {

// Stands in for a column: Width. Widths restored while the grid is being loaded wait
// in their columns for the layout that ends the loading.
class TColumnExPropertyInterceptor : public TStoragePropertyInterceptor {
public:
    explicit TColumnExPropertyInterceptor(rtl::TPersistent* interceptedObject)
        : TStoragePropertyInterceptor(interceptedObject), column_(dynamic_cast<TColumnEx*>(interceptedObject))
    {
        PublishIntegerProperty(
            "Width", [this] { return column_ ? column_->GetWidth() : 0; },
            [this](int value) {
                if (column_) column_->SetWidth(value);
            });
    }

private:
    TColumnEx* column_;
};

// Stands in for a grid's columns: ColumnsIndex, their field names in order, each quoted
// and separated by commas.
class TColumnsExPropertyInterceptor : public TStoragePropertyInterceptor {
public:
    explicit TColumnsExPropertyInterceptor(rtl::TPersistent* interceptedObject)
        : TStoragePropertyInterceptor(interceptedObject), columns_(dynamic_cast<TDBGridColumnsEx*>(interceptedObject))
    {
        PublishProperty(
            "ColumnsIndex", [this] { return rtl::Variant(columnsIndex()); },
            [this](const rtl::Variant& value) {
                if (!value.IsStr()) return false;
                setColumnsIndex(value.AsString());
                return true;
            });
    }

private:
    std::string columnsIndex() const
    {
        std::string text;
        for (int i = 0; columns_ && i < columns_->Count(); ++i) {
            if (i > 0) text += ',';
            text += rtl::AnsiQuotedStr(columns_->Items(i)->GetFieldName(), '"');
        }
        return text;
    }

    // Position i takes the column named by name i; a name no column carries leaves its
    // position as it is, and names beyond the last column are ignored.
    void setColumnsIndex(const std::string& text)
    {
        if (!columns_) return;
        rtl::TStringList names;
        names.SetCommaText(text);
        const rtl::TUpdateScope update(*columns_);
        for (int i = 0; i < names.GetCount() && i < columns_->Count(); ++i)
            for (int j = 0; j < columns_->Count(); ++j)
                if (rtl::SameText(columns_->Items(j)->GetFieldName(), names[i])) {
                    columns_->Items(j)->SetIndex(i);
                    break;
                }
    }

    TDBGridColumnsEx* columns_;
};

} // namespace

void RegisterDBGridExPropertyInterceptors()
{
    RegisterClassPropertyInterceptor("TColumnEx", InterceptorClass<TColumnExPropertyInterceptor>());
    RegisterClassPropertyInterceptor("TDBGridColumnsEx", InterceptorClass<TColumnsExPropertyInterceptor>());
}

} // namespace grid
