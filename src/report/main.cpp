#include <cstdio>
#include <ostream>
#include <streambuf>

#include "report/report_output.h"

namespace {

/// An output stream buffer over a C stream. The program writes through it
/// instead of std::cout and std::cerr, whose C++ file streams would bind C
/// runtime functions that Windows NT 4.0 does not have.
class StdioBuffer : public std::streambuf {
 public:
  explicit StdioBuffer(std::FILE* file) : file_(file) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    return std::fputc(c, file_) == EOF ? traits_type::eof() : c;
  }
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    return static_cast<std::streamsize>(
        std::fwrite(text, 1, static_cast<std::size_t>(count), file_));
  }
  int sync() override { return std::fflush(file_) == 0 ? 0 : -1; }

 private:
  std::FILE* file_;
};

}  // namespace

int main(int argc, char** argv) {
  StdioBuffer outBuffer(stdout);
  StdioBuffer errBuffer(stderr);
  std::ostream out(&outBuffer);
  std::ostream err(&errBuffer);
  const int status = runReport(argc, argv, out, err);
  out.flush();
  err.flush();
  return status;
}
