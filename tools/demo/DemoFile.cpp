// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo/DemoFile.h"

#include <memory>
#include <string>

#include "core/codec/Cp932.h"
#include "core/files/CommandFile.h"
#include "core/items/DefaultSet.h"
#include "core/items/RevalidateTree.h"

namespace vexa::demo {
namespace {

std::unique_ptr<CAttr> Command(const char* labelUtf8) {
  auto item = std::make_unique<CAttr>();
  item->label = Utf8ToCp932(labelUtf8);
  item->sendKind = kKindText;
  return item;
}

}  // namespace

void BuildDemo(ItemTree& tree, CommSettings& settings) {
  settings = kDefaultCommSettings;
  LoadItemsFromText(tree, DefaultCommandSetText(), settings);
  settings.formatTag = kCurrentFormatTag;  // as after loading the file
  settings.portName = kDemoPort;

  auto heading = std::make_unique<CAttr>();
  heading->label = Utf8ToCp932("デモ");
  const ItemHandle demo = tree.AppendItem(nullptr, std::move(heading));

  auto answer = Command("着信応答;ATA");
  answer->receiveDescription = Utf8ToCp932("着信");
  answer->receiveText = "RING";
  answer->receiveKind = kKindText;
  answer->answerDelay = kRingAnswerDelayMs;
  tree.AppendItem(demo, std::move(answer));

  auto hello = Command("5秒ごとの御機嫌伺い;AT");
  hello->repeatPeriod = kHelloPeriodMs;
  tree.AppendItem(demo, std::move(hello));

  RevalidateTree(tree, settings);  // splits the new labels and derives their bytes
}

}  // namespace vexa::demo
