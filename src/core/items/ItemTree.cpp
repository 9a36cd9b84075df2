// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/items/ItemTree.h"

#include <vector>

namespace vexa {

ItemHandle WalkSubtree::Next(int& level) {
  if (over_) return nullptr;
  if (ItemHandle child = tree_.FirstChild(current_)) {
    current_ = child;
    level = ++level_;
    return current_;
  }
  if (level_ >= 2) {
    if (ItemHandle sibling = tree_.NextSibling(current_)) {
      current_ = sibling;
      level = level_;
      return current_;
    }
    while (level_ > 2) {
      current_ = tree_.Parent(current_);
      --level_;
      if (ItemHandle sibling = tree_.NextSibling(current_)) {
        current_ = sibling;
        level = level_;
        return current_;
      }
    }
  }
  over_ = true;
  return nullptr;
}

struct CommandTree::Node : ItemNode {
  Node* parent = nullptr;
  std::size_t index = 0;  // position among the parent's children
  std::unique_ptr<CAttr> record;
  std::vector<std::unique_ptr<Node>> children;
};

CommandTree::CommandTree() : root_(std::make_unique<Node>()) {}
CommandTree::~CommandTree() = default;

CommandTree::Node* CommandTree::AsNode(ItemHandle item) {
  return static_cast<Node*>(item);
}

ItemHandle CommandTree::FirstChild(ItemHandle parent) const {
  const Node* node = parent ? AsNode(parent) : root_.get();
  return node->children.empty() ? nullptr : node->children.front().get();
}

ItemHandle CommandTree::NextSibling(ItemHandle item) const {
  const Node* node = AsNode(item);
  const auto& siblings = node->parent->children;
  return node->index + 1 < siblings.size() ? siblings[node->index + 1].get() : nullptr;
}

ItemHandle CommandTree::Parent(ItemHandle item) const {
  Node* parent = AsNode(item)->parent;
  return parent == root_.get() ? nullptr : parent;
}

CAttr* CommandTree::Record(ItemHandle item) const {
  return AsNode(item)->record.get();
}

ItemHandle CommandTree::AppendItem(ItemHandle parent, std::unique_ptr<CAttr> record) {
  Node* owner = parent ? AsNode(parent) : root_.get();
  auto node = std::make_unique<Node>();
  node->parent = owner;
  node->index = owner->children.size();
  node->record = std::move(record);
  owner->children.push_back(std::move(node));
  return owner->children.back().get();
}

void CommandTree::ClearTree() {
  root_->children.clear();
}

}  // namespace vexa
