#pragma once
// Values of statement parameters and result columns, and the descriptor areas
// (XSQLDA) through which the client interface passes them. All conversion between
// engine types and program values happens here.
//
// Date-times are days since 30 December 1899 (fraction = time of day). Texts and
// blob contents are byte strings, passed unchanged. Number texts use '.' and no
// thousands separator whatever the locale.
#include <ibase.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Stream.h"
#include "platform/rtl/Variant.h"

namespace fb {

using TDateTime = double;

// One value: Null, an integer with a decimal scale (value * 10^Scale), a float, a
// text, a date-time or a Boolean. The getters convert between them; a conversion that
// cannot be made raises rtl::EConvertError.
class TSqlValue {
public:
    // clang-format off
    enum class TKind { Null, Integer, Float, Text, DateTime, Boolean };
    // clang-format on

    TKind GetKind() const { return kind_; }
    bool GetIsNull() const { return kind_ == TKind::Null; }

    // clang-format off
    void Clear() { kind_ = TKind::Null; text_.clear(); }
    // clang-format on
    void SetAsInteger(int value) { SetAsInt64(value); }
    void SetAsInt64(std::int64_t value) { SetScaled(value, 0); }
    // value * 10^scale (scale <= 0), as NUMERIC and DECIMAL columns keep them.
    void SetScaled(std::int64_t value, int scale);
    void SetAsDouble(double value);
    void SetAsString(std::string value);
    void SetAsDateTime(TDateTime value);
    void SetAsBoolean(bool value);
    // The whole stream, from its start, as the bytes of the value.
    void LoadFromStream(rtl::TStream& stream);
    // Null and Unassigned clear; EConvertError for arrays and error values.
    void SetAsVariant(const rtl::Variant& value);

    int GetAsInteger() const;        // EConvertError outside the 32-bit range
    std::int64_t GetAsInt64() const; // floats and scaled numbers round half away from zero
    double GetAsDouble() const;
    std::string GetAsString() const; // Null gives ""
    TDateTime GetAsDateTime() const;
    bool GetAsBoolean() const;
    // Writes the bytes of the value (its text form) to the stream at its position.
    void SaveToStream(rtl::TStream& stream) const;
    // Null, an integer (32-bit when it fits, else 64-bit), a double (also for scaled
    // numbers), a text, a date-time or a Boolean.
    rtl::Variant GetAsVariant() const;

    std::int64_t GetScaledValue() const { return int_; }
    int GetScale() const { return scale_; }

private:
    TKind kind_ = TKind::Null;
    std::int64_t int_ = 0;
    int scale_ = 0;
    double float_ = 0;
    std::string text_;
};

// A named parameter of a statement or a stored procedure.
class TParam : public TSqlValue {
public:
    explicit TParam(std::string name) : name_(std::move(name)) {}
    const std::string& GetName() const { return name_; }
private:
    std::string name_;
};

// Converts between date-times and the engine's date, time and timestamp encodings.
ISC_TIMESTAMP DateTimeToTimestamp(TDateTime value);
TDateTime TimestampToDateTime(const ISC_TIMESTAMP& value);

class TIBXSQLDA;

// Reads a blob whole; the owner of a descriptor area provides the handles.
class TBlobReader {
public:
    virtual ~TBlobReader() = default;
    virtual std::string ReadBlob(const ISC_QUAD& id) = 0;
};

// One column of a result (or one output of a procedure) with its description and the
// value of the current row.
class TIBXSQLVar {
public:
    TIBXSQLVar(XSQLVAR* var, TBlobReader* reader) : var_(var), reader_(reader) {}

    std::string GetName() const;         // the alias (the column name unless renamed)
    std::string GetSqlName() const;      // the column name
    std::string GetRelationName() const; // the table, "" for expressions
    short GetSqlType() const { return static_cast<short>(var_->sqltype & ~1); }
    short GetSqlSubtype() const { return var_->sqlsubtype; }
    short GetSqlScale() const { return var_->sqlscale; }
    short GetSqlLength() const { return var_->sqllen; }
    bool GetNullable() const { return nullable_; }
    bool IsBlob() const { return GetSqlType() == SQL_BLOB; }

    bool GetIsNull() const { return *var_->sqlind == -1; }
    // The value of the current row; a blob is read whole.
    TSqlValue GetValue() const;
    int GetAsInteger() const { return GetValue().GetAsInteger(); }
    std::int64_t GetAsInt64() const { return GetValue().GetAsInt64(); }
    double GetAsDouble() const { return GetValue().GetAsDouble(); }
    std::string GetAsString() const { return GetValue().GetAsString(); }
    TDateTime GetAsDateTime() const { return GetValue().GetAsDateTime(); }
    bool GetAsBoolean() const { return GetValue().GetAsBoolean(); }
    // The blob id of a blob column (EConvertError for other types).
    ISC_QUAD GetAsQuad() const;
    // The content of a blob of this column by its id, also one kept from an earlier row.
    std::string ReadBlob(const ISC_QUAD& id) const;

private:
    friend class TIBXSQLDA;
    XSQLVAR* var_;
    TBlobReader* reader_;
    bool nullable_ = false;
};

// A descriptor area with buffers of its own: described by the engine once, then
// reused for every execution and every fetched row.
class TIBXSQLDA {
public:
    TIBXSQLDA();
    ~TIBXSQLDA();
    TIBXSQLDA(const TIBXSQLDA&) = delete;
    TIBXSQLDA& operator=(const TIBXSQLDA&) = delete;

    // Describes the columns (output) or parameters (input) of a prepared statement
    // and allocates their buffers.
    void DescribeOutput(isc_stmt_handle* statement, int dialect, TBlobReader* reader);
    void DescribeInput(isc_stmt_handle* statement, int dialect);
    void Clear();

    int GetCount() const { return da_ ? da_->sqld : 0; }
    XSQLDA* Get() { return da_; }
    TIBXSQLVar& Var(int index) { return vars_[static_cast<std::size_t>(index)]; }

    // Sets input index from value; blobs are created through the handles given.
    void SetInput(int index, const TSqlValue& value, isc_db_handle* db, isc_tr_handle* tr);

private:
    void Allocate(int count);
    void Describe(isc_stmt_handle* statement, int dialect, bool input);

    XSQLDA* da_ = nullptr;
    std::vector<TIBXSQLVar> vars_;
    std::vector<XSQLVAR> described_;                       // inputs as the engine described them
    std::vector<std::unique_ptr<std::int64_t[]>> buffers_; // 8-byte aligned
    std::vector<std::size_t> capacities_;                  // bytes of each buffer
    std::vector<short> indicators_;
};

} // namespace fb
