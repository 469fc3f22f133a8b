#pragma once
// Changes to one private-profile file, made key by key in memory and put in place in one
// step. The private-profile layer truncates and rewrites the whole file at every key it
// writes, so a process that dies between two writes, or inside one, can leave a file with
// half a change or with nothing in it; a file changed through ProfileEdit holds either what
// it held before or the finished result.
#include <windows.h>

#include <string>
#include <string_view>

#include "profile_image.h"

namespace rt {

class ProfileEdit {
 public:
  // Reads the file once (a missing file reads as empty).
  explicit ProfileEdit(std::string_view file);

  // The file in memory: reads and writes on it reach the file only through Commit.
  ProfileImage& image() { return image_; }
  const ProfileImage& image() const { return image_; }

  // Puts the changed file in place: written to a scratch file beside it with the file's
  // attributes, flushed to disk, then renamed over it with write-through. Nothing is written
  // when nothing changed, when the file could not be read (a directory in its place, say),
  // or when it is marked read-only: the file is then left as it is, and nothing is reported.
  void Commit();

 private:
  std::string file_;  // as the programs name it
  std::string path_;  // the file the private-profile layer opens for that name
  ProfileImage image_;
  bool readable_ = false;
  DWORD attributes_ = INVALID_FILE_ATTRIBUTES;  // none: no file yet
  FILETIME lastWrite_{};
};

}  // namespace rt
