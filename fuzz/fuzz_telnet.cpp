// SPDX-License-Identifier: GPL-3.0-or-later
// The Telnet decoder of network ports on arbitrary bytes from the peer: never a crash; the
// data never longer than what came, and the same however the bytes were cut into reads;
// replies never longer than the requests; and data encoded for the wire always decodes back
// to itself, whatever the peer said before.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "platform/Telnet.h"

namespace {

// What ser2net says first: the options both sides then have.
const std::string kServerGreeting(
    "\xff\xfb\x03\xff\xfd\x03\xff\xfb\x01\xff\xfe\x01\xff\xfd\x00\xff\xfb\x00\xff\xfd\x2c", 21);

struct Decoded {
  std::string data;
  std::string replies;
};

Decoded DecodeInTwoReads(std::string_view raw, std::size_t split) {
  vexa::TelnetSession session;
  session.Greeting();
  Decoded out;
  session.Decode(raw.substr(0, split), out.data);
  session.Decode(raw.substr(split), out.data);
  out.replies = session.TakeReplies();
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view raw(reinterpret_cast<const char*>(bytes), size);
  const std::size_t split = size == 0 ? 0 : bytes[0] % (size + 1);
  const Decoded whole = DecodeInTwoReads(raw, size);
  const Decoded cut = DecodeInTwoReads(raw, split);
  FUZZ_CHECK(whole.data.size() <= size);
  FUZZ_CHECK(whole.replies.size() <= size);
  FUZZ_CHECK(cut.data == whole.data);
  FUZZ_CHECK(cut.replies == whole.replies);

  // The input as data: what one side encodes, the other decodes unchanged.
  vexa::TelnetSession sender;
  sender.Greeting();
  std::string ignored;
  sender.Decode(kServerGreeting, ignored);
  vexa::TelnetSession receiver;
  receiver.Greeting();
  receiver.Decode(kServerGreeting, ignored);
  std::string back;
  receiver.Decode(sender.Encode(raw), back);
  FUZZ_CHECK(back == raw);
  return 0;
}
