// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command identifiers of the main window. They keep their numbers: accelerator tables,
// the toolbar and the command list window refer to them.

namespace vexa {

enum CommandId : int {
  kCmdAbout = 16,
  kCmdSaveAs = 32782,
  kCmdInsertChild = 32785,
  kCmdInsert = 32789,
  kCmdDelete = 32790,
  kCmdDeleteAll = 32791,
  kCmdDefaultSet = 32792,
  kCmdConnect = 32794,
  kCmdDisconnect = 32795,
  kCmdCommSettings = 32796,
  kCmdToolbarSeparator = 32802,
  kCmdFont = 32811,
  kCmdHelp = 32812,
  kCmdReceiveHex = 32814,
  kCmdSendHex = 32815,
  kCmdLog = 32819,
  kCmdHexData = 32821,
  kCmdTextData = 32822,
  kCmdCommandList = 32823,
  kCmdSend = 32824,
  kCmdExit = 32825,
  kCmdSelectLast = 32827,
  kCmdSelectFirst = 32828,
  kCmdItemDetails = 32833,
  kCmdEditSettings = 32836,
  kCmdEditItem = 32838,
  kCmdContextMenuKey = 32841,  // bound to Shift+F10 in the tree; deliberately without handler
  kCmdShowTimes = 32850,       // the answer list's display switches
  kCmdShowSent = 32851,
  kCmdAnswerCopy = 32852,  // the answer list's context menu
  kCmdAnswerSelectAll = 32853,
  kCmdAnswerFind = 32854,
  kCmdAnswerClear = 32855,
  kCmdAnswerSave = 32856,
  kCmdReconnect = 32870,
  kCmdNewFile = 57600,
  kCmdOpenFile = 57601,
  kCmdSave = 57603,
  kCmdRecentFile0 = 57604,  // to 57608
  kCmdRecentSeparator = 57609,
  kCmdDropMove = 57620,
  kCmdDropCopy = 57621,
  kCmdDropCancel = 57622,
};

inline constexpr int kRecentFileCount = 5;

}  // namespace vexa
