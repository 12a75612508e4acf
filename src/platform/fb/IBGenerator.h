#pragma once
// Generators (sequences): the next value for a new row's key.
#include <cstdint>
#include <string>

namespace fb {

class TIBDatabase;
class TIBTransaction;

// GEN_ID(generator, increment) in the transaction: the generator's value after adding
// increment (increment 0 reads it).
std::int64_t GenId(TIBDatabase& database, TIBTransaction& transaction, const std::string& generator,
                   std::int64_t increment = 1);

} // namespace fb
