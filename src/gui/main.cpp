// zmk: the coil rating program's window.
#include "gui/Program.h"

int main(int argc, char** argv)
{
    return zmk::gui::RunProgram(argc, argv);
}
