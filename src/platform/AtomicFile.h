// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Replacing a file so that readers see the old one or the new one, never a part: the new
// content is made under a temporary name beside the target ("NAME.xxxxxxxx~") and renamed
// over it only when complete. A failure leaves the old file as it was and removes the
// temporary one.

#include <string>
#include <string_view>

namespace vexa {

enum class ReplaceResult {
  kOk,
  kCannotCreate,  // the target may not be written, or nothing can be created beside it
  kWriteFailed,   // writing, flushing or renaming failed
};

enum class KeepOriginal {
  kNo,
  kBeside,  // the file as it was stays beside it as "NAME~", replacing an older one
};

// Writes `content` into `path`. A symbolic link is written through (its final target is
// replaced, the link stays); an existing target keeps its mode and must be a regular file
// the caller may write. With kBeside, nothing is replaced unless the copy was made.
ReplaceResult ReplaceFileContent(const std::string& path, std::string_view content,
                                 KeepOriginal keep = KeepOriginal::kNo);

// The file a write of `path` replaces: the final target of a symbolic link; the path itself
// otherwise, also when the link leads nowhere.
std::string ResolveWriteTarget(const std::string& path);

// Makes `path` a symbolic link to `target`, replacing what the name held.
ReplaceResult ReplaceWithSymlink(const std::string& path, const std::string& target);

}  // namespace vexa
