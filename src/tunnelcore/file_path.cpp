#include "tunnelcore/file_path.h"

namespace corvane::tunnelcore {

FilePath FilePath::fromPaths(const platform::Paths& paths) {
  return FilePath{paths.data / "shared", paths.data / "working", paths.cache / "tunnelcore"};
}

}  // namespace corvane::tunnelcore
