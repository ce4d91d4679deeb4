// The sorvane-host commands. main() only forwards its arguments here.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "tools/sorvane-host/args.h"

namespace sorvane::host {

// args[0] is the command name. Output goes to out, the one-line errors
// (prefixed "sorvane-host COMMAND: ") to err. Returns the exit code.
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

int runInfo(const InfoArgs& args, std::ostream& out, std::ostream& err);
int runRender(const RenderArgs& args, std::ostream& out, std::ostream& err);
int runResponse(const ResponseArgs& args, std::ostream& out, std::ostream& err);
int runBench(const BenchArgs& args, std::ostream& out, std::ostream& err);
int runValidate(const ValidateArgs& args, std::ostream& out, std::ostream& err);
int runEditor(const EditorArgs& args, std::ostream& out, std::ostream& err);

}  // namespace sorvane::host
