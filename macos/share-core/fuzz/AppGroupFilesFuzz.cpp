// The readers of the App Group files: outbox items, answers, both state files and the relay's
// lock record. Whatever a file holds, decoding never fails badly, and what decodes is written
// back to the same record.
#include "OutboxRecords.h"
#include "OutboxRelayer.h"
#include "ShareState.h"

#include <cstddef>
#include <cstdint>

namespace {

template <class Record> void roundTrip(Foundation::Bytes bytes) {
    const auto record = JSONCoding::decode<Record>(bytes);
    if (!record)
        return;
    const auto encoded = JSONCoding::encode(record->json());
    // A decoded record may hold no text the encoder refuses: its texts came from valid JSON.
    if (!encoded)
        __builtin_trap();
    const auto again = JSONCoding::decode<Record>(Foundation::dataFrom(*encoded));
    if (!again || !(*again == *record))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Foundation::Bytes bytes(data, size);
    roundTrip<DossierOutboxItem>(bytes);
    roundTrip<DossierShareAnswer>(bytes);
    roundTrip<MacShareState>(bytes);
    roundTrip<ExtensionShareState>(bytes);
    if (const auto relayer = OutboxRelayer::parse(Foundation::textView(bytes))) {
        if (OutboxRelayer::parse(relayer->text()) != relayer)
            __builtin_trap();
    }
    return 0;
}
