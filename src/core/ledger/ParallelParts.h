#pragma once

#include <QtGlobal>

#include <functional>

namespace tovra {

// Work on a long-used ledger split into parts that run on threads of their
// own: reading its file, checking and decoding its trace records. A part is
// a megabyte at least, so a small ledger is handled on the calling thread
// alone, and there are never more parts than cores, nor more than four.
class ParallelParts {
public:
    static qsizetype count(qsizetype bytes);
    // The same for `items` of any kind, at least `minimumPerPart` of them in a part.
    static qsizetype count(qsizetype items, qsizetype minimumPerPart);

    // Runs `part(index)` for every index below `count`, the first on the
    // calling thread; true when every part answered true. A part that throws
    // (out of memory) answers false.
    static bool run(qsizetype count, const std::function<bool(qsizetype)> &part);
};

} // namespace tovra
