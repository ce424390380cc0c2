// The texts that stand for the build status codes, as the window's status
// pictures show them and as the batch mode prints them.
#pragma once

#include <string>

namespace dm {

// UTF-8 text of a status code; "" for a code without a text.
std::string statusText(int code);

}  // namespace dm
