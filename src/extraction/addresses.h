#pragma once
// Making the addresses of a page absolute. The base is the definition's Url,
// or the address of the page's "<base" element.
#include <string>
#include <string_view>

namespace lumetra {

struct PageBase {
  std::string page;       // the base address without its fragment
  std::string directory;  // without the trailing "/"
  std::string host;       // scheme and host: "http://example.jp"
  std::string scheme;     // "http:"; empty when the address has no "//"
};

// The directory is the address up to its last "/" when the last segment
// contains a "." or the address ends with "/", otherwise the whole address;
// query and fragment do not count, and a bare host is its own directory. The
// host is the address up to the first "/" after "//" (after the first "."
// when there is no "//").
PageBase MakePageBase(std::string_view address);

// An address with "//" or a scheme ("mailto:", "javascript:") stays as it is
// ("//host/x" takes the page's scheme); "/x" goes after the host; "#x" and
// "?x" after the page; anything else after the directory and a "/".
std::string ResolveLink(const PageBase& base, std::string_view link);

// A named anchor: host + "#" + name ("#" not doubled).
std::string ResolveAnchor(const PageBase& base, std::string_view name);

}  // namespace lumetra
