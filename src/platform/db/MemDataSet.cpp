#include "platform/db/MemDataSet.h"

#include "platform/db/DBConsts.h"

namespace db {

TRecordProvider* TMemDataSet::InternalOpen()
{
    if (defsFromFields_) FieldDefs().Clear();
    defsFromFields_ = FieldDefs().Count() == 0;
    if (defsFromFields_) {
        for (TField* f : Fields())
            if (f->GetFieldKind() == fkData) {
                TFieldDef& def = FieldDefs().Add(f->GetFieldName(), f->DataType(), f->GetSize(), f->GetRequired());
                def.Precision = f->GetPrecision();
            }
    }
    if (FieldDefs().Count() == 0) DatabaseError(msg::NoFieldDefs);
    return nullptr;
}

} // namespace db
