#pragma once
// A program standing in for one the code under test starts: it writes its arguments, one a
// line, to a file of its own once it has them all, so a reader never sees half a list.
#include <sys/stat.h>

#include <string>

#include "tests/support/TempFolder.h"
#include "tests/support/WaitForFile.h"

namespace testing_support {

struct ArgumentRecorder {
  ArgumentRecorder(const TempFolder& dir, const std::string& name)
      : program(dir / name), out(program + ".args") {
    dir.Put(name, "#!/bin/sh\nprintf '%s\\n' \"$@\" >'" + out + ".tmp' && mv '" + out + ".tmp' '" +
                      out + "'\n");
    ::chmod(program.c_str(), 0755);
  }
  // What the program was given, once it has run.
  std::string Arguments() const {
    WaitForFile(out, 10000);
    return platform::ReadFile(out).value_or("(not started)");
  }
  std::string program, out;
};

}  // namespace testing_support
