#include "platform/fb/IBGenerator.h"

#include "platform/fb/IBSQL.h"
#include "platform/rtl/Exception.h"

namespace fb {

std::int64_t GenId(TIBDatabase& database, TIBTransaction& transaction, const std::string& generator,
                   std::int64_t increment)
{
    TIBSQL q(&database, &transaction);
    q.SetSQL("select gen_id(" + generator + ", " + std::to_string(increment) + ") from rdb$database");
    q.ExecQuery();
    if (!q.Next())
        throw rtl::EDatabaseError("Generator " + generator + " gave no value");
    std::int64_t value = q.Fields(0).GetAsInt64();
    q.Close();
    return value;
}

} // namespace fb
