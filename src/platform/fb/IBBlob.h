#pragma once
// Whole-blob reading and writing: blobs here are byte strings of a few kilobytes
// (settings records, map pictures, log payloads), read and written in one piece.
#include <ibase.h>

#include <string>
#include <string_view>

namespace fb {

class TIBDatabase;
class TIBTransaction;

// The whole content of blob id, read in the transaction.
std::string ReadBlob(isc_db_handle* db, isc_tr_handle* tr, const ISC_QUAD& id);
std::string ReadBlob(TIBDatabase& db, TIBTransaction& tr, const ISC_QUAD& id);
// Creates a blob holding bytes and returns its id, to be stored by a statement of the
// same transaction.
ISC_QUAD WriteBlob(isc_db_handle* db, isc_tr_handle* tr, std::string_view bytes);
ISC_QUAD WriteBlob(TIBDatabase& db, TIBTransaction& tr, std::string_view bytes);

} // namespace fb
