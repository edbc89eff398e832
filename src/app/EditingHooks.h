#pragma once
// The tag editing framework's steps of the start-up order.

namespace brae {

// Structure definitions from "res", then the editor factories of the tag groups.
void InstallEditingHooks();

}  // namespace brae
