#include "platform/fb/IBBlob.h"

#include <algorithm>
#include <optional>

#include "platform/fb/FbClient.h"
#include "platform/fb/IBDatabase.h"

namespace fb {

namespace {

// Closes (or cancels) an open blob on every path out.
class TOpenBlob {
public:
    explicit TOpenBlob(bool writing) : writing_(writing) {}
    ~TOpenBlob()
    {
        if (handle) {
            ISC_STATUS_ARRAY status;
            if (writing_)
                Api().isc_cancel_blob(status, &handle);
            else
                Api().isc_close_blob(status, &handle);
        }
    }
    void Close()
    {
        ISC_STATUS_ARRAY status;
        Api().isc_close_blob(status, &handle);
        Check(status);
        handle = 0;
    }
    isc_blob_handle handle = 0;

private:
    bool writing_;
};

// The blob's length, when the engine tells it.
std::optional<std::size_t> BlobLength(isc_blob_handle* blob)
{
    const ISC_SCHAR items[] = {isc_info_blob_total_length};
    ISC_SCHAR result[32];
    ISC_STATUS_ARRAY status;
    Api().isc_blob_info(status, blob, sizeof items, items, sizeof result, result);
    if (status[0] == 1 && status[1] != 0)
        return std::nullopt;
    if (result[0] != isc_info_blob_total_length)
        return std::nullopt;
    auto len = static_cast<short>(Api().isc_vax_integer(result + 1, 2));
    const ISC_LONG length = Api().isc_vax_integer(result + 3, len);
    if (length < 0)
        return std::nullopt;
    return static_cast<std::size_t>(length);
}

} // namespace

std::string ReadBlob(isc_db_handle* db, isc_tr_handle* tr, const ISC_QUAD& id)
{
    const TFbApi& api = Api();
    ISC_STATUS_ARRAY status;
    TOpenBlob blob(false);
    ISC_QUAD blobId = id;
    api.isc_open_blob2(status, db, tr, &blob.handle, &blobId, 0, nullptr);
    Check(status);

    // Read up to its known length: the call that would only find the end costs as much as
    // a read (the client library signals that end by an exception inside itself).
    const std::optional<std::size_t> length = BlobLength(&blob.handle);
    constexpr std::size_t kSegment = 65535;
    std::string content(length.value_or(0), '\0');
    std::size_t read = 0;
    while (!length || read < *length) {
        if (!length)
            content.resize(read + kSegment);
        const auto want = static_cast<unsigned short>(std::min(kSegment, content.size() - read));
        unsigned short got = 0;
        const ISC_STATUS rc = api.isc_get_segment(status, &blob.handle, &got, want, content.data() + read);
        if (rc == isc_segstr_eof)
            break;
        if (rc != 0 && rc != isc_segment)
            Check(status);
        read += got;
    }
    content.resize(read);
    blob.Close();
    return content;
}

std::string ReadBlob(TIBDatabase& db, TIBTransaction& tr, const ISC_QUAD& id)
{
    return ReadBlob(db.Handle(), tr.Handle(), id);
}

ISC_QUAD WriteBlob(isc_db_handle* db, isc_tr_handle* tr, std::string_view bytes)
{
    const TFbApi& api = Api();
    ISC_STATUS_ARRAY status;
    TOpenBlob blob(true);
    ISC_QUAD id{};
    api.isc_create_blob2(status, db, tr, &blob.handle, &id, 0, nullptr);
    Check(status);
    constexpr std::size_t kSegment = 32768;
    for (std::size_t pos = 0; pos < bytes.size(); pos += kSegment) {
        std::size_t n = std::min(kSegment, bytes.size() - pos);
        api.isc_put_segment(status, &blob.handle, static_cast<unsigned short>(n), bytes.data() + pos);
        Check(status);
    }
    blob.Close();
    return id;
}

ISC_QUAD WriteBlob(TIBDatabase& db, TIBTransaction& tr, std::string_view bytes)
{
    return WriteBlob(db.Handle(), tr.Handle(), bytes);
}

} // namespace fb
