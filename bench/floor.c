/* The I/O floor the game is measured against: the least a program can do to give the game's
 * output for the same input. It writes a fixed opening text, then one fixed reply per word read
 * from standard input, reading in large blocks and writing through a large buffer.
 *
 * Usage: floor OPENING REPLY < input > output
 */
#include <string.h>
#include <unistd.h>

enum { kBlockSize = 1 << 20 };

static char in_block[kBlockSize];
static char out_block[kBlockSize];
static size_t out_used;

/* Writes all of bytes, retrying short writes; a failed write ends the output. */
static void WriteAll(const char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t written = write(STDOUT_FILENO, bytes, size);
    if (written <= 0) _exit(0);
    bytes += written;
    size -= (size_t)written;
  }
}

/* Adds bytes to the output buffer, handing the buffer on whenever it fills. */
static void Emit(const char* bytes, size_t size) {
  if (out_used + size > kBlockSize) {
    WriteAll(out_block, out_used);
    out_used = 0;
  }
  if (size > kBlockSize) {
    WriteAll(bytes, size);
    return;
  }
  memcpy(out_block + out_used, bytes, size);
  out_used += size;
}

/* The same whitespace bytes the game splits words on. */
static int IsSpace(unsigned char byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const char* reply = argv[2];
  const size_t reply_size = strlen(reply);
  Emit(argv[1], strlen(argv[1]));
  int in_word = 0;
  for (;;) {
    const ssize_t got = read(STDIN_FILENO, in_block, kBlockSize);
    if (got <= 0) break;
    for (ssize_t i = 0; i < got; ++i) {
      const int space = IsSpace((unsigned char)in_block[i]);
      /* A word answers when it ends, as the game answers a word once it has read all of it. */
      if (space && in_word) Emit(reply, reply_size);
      in_word = !space;
    }
  }
  if (in_word) Emit(reply, reply_size);
  WriteAll(out_block, out_used);
  return 0;
}
