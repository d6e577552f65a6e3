#pragma once
// Which addresses from server files the program fetches or hands to the browser.
#include <string>

namespace net {

// An http:// or https:// address (scheme in any case) that names a host, with a numeric
// port if any, and holds no blank or control character. Anything else (local files,
// scripts, other programs, or an address without a host) is never fetched or opened.
bool IsWebAddress(const std::string& url);

}  // namespace net
