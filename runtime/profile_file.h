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

// Reads a file as the private-profile layer reads it, without the layer (which would open the
// file again for every key and keep a copy of it): one open, one read. A file that is not
// there or cannot be read reads as empty, as every key of it reads as missing to the layer.
ProfileImage ReadProfileFile(std::string_view file);

class ProfileEdit {
 public:
  // Reads the file once (a missing file reads as empty).
  explicit ProfileEdit(std::string_view file);
  ~ProfileEdit();
  ProfileEdit(const ProfileEdit&) = delete;
  ProfileEdit& operator=(const ProfileEdit&) = delete;

  // The file in memory: reads and writes on it reach the file only through Commit.
  ProfileImage& image() { return image_; }
  const ProfileImage& image() const { return image_; }

  // Puts the changed file in place: written to a new scratch file beside the file the name
  // leads to, flushed to disk, then renamed over it with write-through. Where that would
  // change what the file is (a file with several hard links, a security descriptor a new
  // file would not get) or cannot be done (no new file in the folder, the rename refused
  // while another process holds the file), the new content is written into the file itself
  // and flushed: the key-by-key road's result, without its half-written states between keys.
  // Nothing is written when nothing changed, when the file could not be read whole (a
  // directory in its place, say), when it is marked read-only or when the program may not
  // write it: the file is then left as it is, and nothing is reported. After a write a copy of
  // the file the private-profile layer may hold is dropped, so its next read sees it.
  void Commit();

 private:
  std::string file_;  // as the programs name it
  std::string path_;  // the file the private-profile layer opens for that name
  ProfileImage image_;
  bool readable_ = false;
  DWORD attributes_ = INVALID_FILE_ATTRIBUTES;  // none: no file yet
  HANDLE held_ = INVALID_HANDLE_VALUE;          // the file, open to write since it was read
};

}  // namespace rt
