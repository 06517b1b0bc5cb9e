// shapetool: reads snippets saved by the editor and turns them into meshes,
// without a display.
#include "tool/commands.h"

#include <exception>
#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    shapetool::Console console{std::cout, std::cerr, isatty(STDERR_FILENO) != 0};
    try {
        return shapetool::run(argc, argv, console);
    } catch (const std::exception& error) {
        std::cerr << "shapetool: " << error.what() << '\n';
        return shapetool::exit_bad_input;
    }
}
