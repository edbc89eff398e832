#pragma once
// Recovery at start-up: this session's snapshots and the offer of those a dead session left.

#include <string>

namespace brae {

// Starts this session's snapshots in "recovery/" beside the preferences file.
void StartSnapshots();
// When a session that is no longer running left snapshots for the game folder, asks in the
// dialog "Recover Unsaved Changes" whether to recover them (opening each tag's editor with the
// snapshot's data), discard them (after a confirmation) or keep them for later.
void OfferRecovery(const std::string& game_folder);

}  // namespace brae
