// The compiled-in resources (the program icon) of the static GUI library.
#pragma once

namespace tarnova::gui {

// Registers the resources once; a static library's resources are not registered by themselves.
void initResources();

} // namespace tarnova::gui
