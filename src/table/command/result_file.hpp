#pragma once

#include <cstddef>
#include <string>

namespace littoral {
// Where `littoral table` writes its results, as -o names it. Standard output, a device, a pipe
// and an open descriptor named as a file (/dev/stdout, /dev/fd/N, /proc/self/fd/N) are written
// in place. A regular file OUT, or one that does not exist yet, is written as an unnamed file in
// its directory (a symbolic link OUT: in its target's directory) and takes OUT's name only once
// the table is complete, so that an earlier OUT is never replaced by less than a whole table;
// where the file system has no unnamed files, a hidden named one stands in.
class ResultFile {
 public:
  ResultFile() = default;
  ~ResultFile();
  ResultFile(const ResultFile&) = delete;
  ResultFile& operator=(const ResultFile&) = delete;

  // Opens the destination named by -o ("" or "-": standard output). False with the reason when
  // it cannot be written (a directory the user cannot write in among them), before anything is
  // computed.
  bool open(const std::string& name, std::string& error);

  int fd() const { return fd_; }

  // True when the table is written to a file that takes OUT's name at the end, false when it
  // is written in place.
  bool replacesOut() const { return replacing_; }

  // The name under which the rows of an early stop are kept: OUT's (or its link's target's)
  // name and ".partial".
  std::string partialName() const { return path_ + ".partial"; }

  // Gives the complete table OUT's name in one step (written in place: closes it). False with
  // the reason; OUT is then as it was and nothing is left behind.
  bool commit(std::string& error);

  // After an early stop: keeps what was written (whole rows) under partialName(), replacing an
  // earlier one. False with the reason when it cannot be kept; nothing is left behind then.
  bool keepPartial(std::string& error);

  // Drops what was written to a file that would have taken OUT's name.
  void discard();

  // Removes the hidden named file, if one exists: for a signal handler that ends the run at
  // once (async-signal-safe).
  static void removeNamedTemporary();

 private:
  bool openDirect(std::string& error);
  bool openReplacing(std::string& error);
  bool nameAs(const std::string& name, std::string& error);

  int fd_ = -1;
  bool ownsFd_ = false;     // closed here (not standard output)
  bool replacing_ = false;  // written unnamed (or hidden) and named at the end
  bool unnamed_ = false;    // an O_TMPFILE file, with no name until the end
  std::string path_;        // the file that takes the table's name
  std::string temporary_;   // the hidden named file, when there is no unnamed one
};

}  // namespace littoral
