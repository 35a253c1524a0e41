/* The I/O floor the game is measured against: the least a program can do to give the game's
 * output when every word it reads is turned away at the choice of difficulty. It writes the
 * opening text it is given, then its one reply, known when it is compiled, for each word read from
 * standard input. It reads in 64 KiB blocks, finds each word's end byte by byte, and copies the
 * reply into a 256 KiB output buffer as each word ends.
 *
 * Usage: floor OPENING < input > output
 */
#include <string.h>
#include <unistd.h>

/* The re-ask text of the choice of difficulty. */
static const char kReply[] =
    "\n\n\"hard\", \"nomal\", \"easy\" or \"beginner\"\n\nSelect dificulty>";

enum { kReplySize = sizeof kReply - 1, kInBlockSize = 1 << 16, kOutBlockSize = 1 << 18 };

static char in_block[kInBlockSize];
static char out_block[kOutBlockSize];
static size_t out_used;

/* The bytes that end a word, the same six the game splits words on. */
static const unsigned char kIsSpace[256] = {
    ['\t'] = 1, ['\n'] = 1, ['\v'] = 1, ['\f'] = 1, ['\r'] = 1, [' '] = 1};

/* Writes all of bytes, retrying short writes; a failed write ends the output. */
static void WriteAll(const char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t written = write(STDOUT_FILENO, bytes, size);
    if (written <= 0) _exit(0);
    bytes += written;
    size -= (size_t)written;
  }
}

/* Adds the reply to the output buffer, handing the buffer on whenever it is full. */
static void Reply(void) {
  if (out_used + kReplySize > kOutBlockSize) {
    WriteAll(out_block, out_used);
    out_used = 0;
  }
  memcpy(out_block + out_used, kReply, kReplySize);
  out_used += kReplySize;
}

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  WriteAll(argv[1], strlen(argv[1]));
  int in_word = 0;
  for (;;) {
    const ssize_t got = read(STDIN_FILENO, in_block, kInBlockSize);
    if (got <= 0) break;
    for (ssize_t i = 0; i < got; ++i) {
      const int space = kIsSpace[(unsigned char)in_block[i]];
      /* A word answers when it ends, as the game answers a word once it has read all of it. */
      if (space && in_word) Reply();
      in_word = !space;
    }
  }
  if (in_word) Reply();
  WriteAll(out_block, out_used);
  return 0;
}
