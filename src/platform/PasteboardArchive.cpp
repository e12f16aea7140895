#include "platform/PasteboardArchive.h"

#include <algorithm>

namespace tovra {

PasteboardArchive PasteboardArchive::capture(const Pasteboard &pasteboard)
{
    PasteboardArchive archive;
    archive.capturedChangeCount = pasteboard.changeCount();
    archive.items = pasteboard.items();
    const bool everyTypeRead
        = std::all_of(archive.items.cbegin(), archive.items.cend(), [](const auto &item) {
              return std::all_of(item.representations.cbegin(), item.representations.cend(),
                  [](const PasteboardRepresentation &representation) {
                      return representation.data.has_value();
                  });
          });
    archive.isComplete = everyTypeRead && pasteboard.changeCount() == archive.capturedChangeCount;
    return archive;
}

bool PasteboardArchive::restore(Pasteboard &to) const
{
    if (items.isEmpty()) {
        to.clearContents();
        return true;
    }
    return to.writeItems(items);
}

} // namespace tovra
