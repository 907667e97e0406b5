// Reading and writing the App Group's JSON record files by one set of rules.
//
// A record file is read only when it is a regular file, not reached through a
// symbolic link, of at most `limit` bytes, and only when it decodes whole.
// Writing encodes the record as the platform's JSON encoder does and puts it
// in place with `DossierOutbox::writeWhole`; a record whose file would exceed
// `limit` is refused, since no reader would take it.
#pragma once

#include "OutboxError.h"

#include <Foundation/FileIO.h>
#include <JSONCoding/JSONCoding.h>
#include <filesystem>
#include <optional>

namespace RecordFile {

template <JSONCoding::Record R>
std::optional<R> read(const std::filesystem::path& file, std::size_t limit) {
    const auto data = Foundation::readFile(file, limit, Foundation::Links::Refuse);
    if (!data)
        return std::nullopt;
    return JSONCoding::decode<R>(*data);
}

std::optional<OutboxError> write(const JSONCoding::OrderedJSON& record,
                                 const std::filesystem::path& file, std::size_t limit);

} // namespace RecordFile
