#include "extraction/addresses.h"

#include "extraction/page_line.h"

namespace lumetra {
namespace {

bool HasScheme(std::string_view link) {
  if (link.empty() || !((link[0] >= 'a' && link[0] <= 'z') || (link[0] >= 'A' && link[0] <= 'Z'))) return false;
  for (size_t i = 1; i < link.size(); ++i) {
    const char c = link[i];
    if (c == ':') return i > 1;  // "c:" is a drive, not a scheme
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
                    c == '-' || c == '.';
    if (!ok) return false;
  }
  return false;
}

}  // namespace

PageBase MakePageBase(std::string_view address) {
  PageBase b;
  std::string_view a = Trimmed(address);
  b.page = std::string(a.substr(0, a.find('#')));
  const size_t slashes = a.find("//");
  const size_t pathStart = slashes == std::string_view::npos ? 0 : a.find('/', slashes + 2);
  if (slashes != std::string_view::npos) b.scheme = std::string(a.substr(0, slashes));

  // Query and fragment are no part of the directory.
  std::string_view path = a;
  if (pathStart != std::string_view::npos) {
    size_t cut = path.find_first_of("?#", pathStart);
    path = path.substr(0, cut);
  }
  if (slashes != std::string_view::npos && pathStart == std::string_view::npos) {
    b.host = b.directory = std::string(path);
    return b;
  }
  const size_t last = path.rfind('/');
  const std::string_view segment = last == std::string_view::npos ? path : path.substr(last + 1);
  if (last != std::string_view::npos && (last + 1 == path.size() || segment.find('.') != std::string_view::npos) &&
      (slashes == std::string_view::npos || last >= pathStart))
    b.directory = std::string(path.substr(0, last));
  else
    b.directory = std::string(path);

  if (slashes != std::string_view::npos) {
    b.host = std::string(a.substr(0, pathStart));
  } else {
    const size_t dot = b.directory.find('.');
    const size_t slash = dot == std::string::npos ? std::string::npos : b.directory.find('/', dot);
    b.host = slash == std::string::npos ? b.directory : b.directory.substr(0, slash);
  }
  return b;
}

std::string ResolveLink(const PageBase& base, std::string_view link) {
  link = Trimmed(link);
  if (link.find("//") != std::string_view::npos) {
    if (link.substr(0, 2) == "//" && !base.scheme.empty()) return base.scheme + std::string(link);
    return std::string(link);
  }
  if (HasScheme(link)) return std::string(link);
  if (!link.empty() && link[0] == '/') return base.host + std::string(link);
  if (!link.empty() && link[0] == '#') return base.page + std::string(link);
  if (!link.empty() && link[0] == '?') return base.page.substr(0, base.page.find('?')) + std::string(link);
  return base.directory + "/" + std::string(link);
}

std::string ResolveAnchor(const PageBase& base, std::string_view name) {
  name = Trimmed(name);
  if (!name.empty() && name[0] == '#') return base.host + std::string(name);
  return base.host + "#" + std::string(name);
}

}  // namespace lumetra
