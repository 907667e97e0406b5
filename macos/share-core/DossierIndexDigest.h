// What the Dossier's index tells the extension: recent tags, the item limit,
// and whether the Dossier is full.
//
// It is drawn from the reply of GET "/dossier": "items" (each may carry a
// "tag") and the optional "limits". The reply decodes strictly: a missing
// "items" or a key of the wrong type gives no digest. The Dossier counts as
// full at its item count limit (2000 when it names none) or at 98 % of its
// storage. An item limit above what an outbox file can hold is brought down
// to that.
#pragma once

#include "ShareInput.h"

#include <Foundation/Data.h>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct DossierIndexDigest {
    std::vector<std::string> recentTags;
    std::int64_t itemChars = ShareInput::defaultItemChars;
    bool full = false;

    static std::optional<DossierIndexDigest> parse(Foundation::Bytes reply);

    bool operator==(const DossierIndexDigest&) const = default;
};
