#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vorpane {

// The progress callback of every long operation: a text (a file name or a
// phase such as "converting.."), a total and the amount done so far. Totals
// are 64-bit: a list of photographs easily passes 2 GiB.
using TProgressProc =
    std::function<void(const std::string& Text, std::int64_t Total, std::int64_t Done)>;

// What a conversion run is doing, told beside its progress texts so that a
// caller knows what the reports that follow count without reading them:
// rpStarting before "converting..", rpPreparing before the preparation's
// reports (source path, files - 1, position from 1), rpEmbedding before the
// writer's (file name, total bytes, bytes so far), rpCommitting once the
// document is written, while it is synced to the disk and put in place (a
// stop still keeps the old output), rpFinished before "Finished!" as the
// run ends with a result code.
enum class TRunPhase { rpStarting, rpPreparing, rpEmbedding, rpCommitting, rpFinished };

using TPhaseProc = std::function<void(TRunPhase Phase)>;

} // namespace vorpane
