#pragma once

namespace littoral {

// The program's commands, for a start with arguments: `littoral table ...`, `littoral climate
// ...`, `--help` and `--version`. Returns the exit status.
int runCommandLine(int argc, char** argv);

}  // namespace littoral
