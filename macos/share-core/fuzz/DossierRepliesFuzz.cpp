// The readers of the bridge's Dossier replies: the POST outcome and the index digest.
#include "DossierIndexDigest.h"
#include "DossierPost.h"
#include "ShareText.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Foundation::Bytes bytes(data, size);
    for (const int status : {201, 400, 404, 500}) {
        const DossierPostOutcome outcome = DossierPostOutcome::from(status, bytes);
        // Only a 201 adds.
        if (status != 201 && std::holds_alternative<DossierPostOutcome::Added>(outcome.value))
            __builtin_trap();
    }
    if (const auto digest = DossierIndexDigest::parse(bytes)) {
        if (digest->recentTags.size() > 8 || digest->itemChars < 1 || digest->itemChars > 16777216)
            __builtin_trap();
    }
    // Shared bytes read as text, too.
    if (const auto text = ShareText::decode(bytes); text && !Foundation::isValidUTF8(*text))
        __builtin_trap();
    return 0;
}
