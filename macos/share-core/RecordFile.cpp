#include "RecordFile.h"

#include "DossierOutbox.h"

#include <cerrno>
#include <cstring>

namespace RecordFile {

std::optional<OutboxError> write(const JSONCoding::OrderedJSON& record,
                                 const std::filesystem::path& file, std::size_t limit) {
    const auto encoded = JSONCoding::encode(record);
    if (!encoded)
        return OutboxError::encode();
    if (encoded->size() > limit)
        return OutboxError::write(file.filename().string() + ": " + std::strerror(EFBIG));
    return DossierOutbox::writeWhole(Foundation::dataFrom(*encoded), file);
}

} // namespace RecordFile
