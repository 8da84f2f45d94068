// The Tarnova GUI entry.
#include "gui/shell/application.h"

int main(int argc, char** argv) {
    return tarnova::gui::RunTarnova(argc, argv);
}
