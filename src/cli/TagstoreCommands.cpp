// brae-cli commands over the tag store: archives, tags, tag operations, add-ons.
#include "cli/CliCommon.h"

namespace brae::cli {

std::vector<Command> TagstoreCommands() { return {}; }

}  // namespace brae::cli
