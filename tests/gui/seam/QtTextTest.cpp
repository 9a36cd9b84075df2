// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/seam/QtText.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(QtText, ConvertsBetweenCp932AndQString) {
  struct Case {
    std::string cp932;
    QString text;
  };
  const Case cases[] = {
      {"ATZ\r\n", "ATZ\r\n"},
      {std::string("A\0B", 3), QString(QChar('A')) + QChar(0) + QChar('B')},
      {"\xba\xcf\xdd\xc4\xde", QString::fromUtf8("ｺﾏﾝﾄﾞ")},
      {"\x91\x97\x90\x4d", QString::fromUtf8("送信")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToQString(c.cp932), c.text);
    EXPECT_EQ(ToCp932(c.text), c.cp932);
  }
  EXPECT_EQ(ToQString("OK\x82"), QString::fromUtf8("OK\xEF\xBF\xBD")) << "a cut character";
  EXPECT_EQ(ToCp932(QString::fromUtf8("é€😀A")), "???A") << "what CP932 cannot hold";
}

}  // namespace
}  // namespace vexa
