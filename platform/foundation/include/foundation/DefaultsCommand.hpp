#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace platform {

// The `defaults` command (arguments without the program name):
//   read DOMAIN [KEY]
//   write DOMAIN KEY [-string|-int|-integer|-float|-bool|-boolean] VALUE
//   write DOMAIN KEY -array VALUE...
//   delete DOMAIN [KEY]
//   --help (the usage, on `out`)
// Returns the exit status; messages go to `err`.
int runDefaultsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace platform
