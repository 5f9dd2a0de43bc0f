// One walk from the root draws what the options ask for; the paths of
// interest are found first, by descending to each node by its ID.
#include "PageTree.h"

#include "Text.h"

#include <algorithm>
#include <unordered_set>

namespace {

std::uint32_t idNumber(const PelixNode &node) {
  std::uint32_t id = 0;
  for (const char digit : node.idText()) {
    id = id * 10 + static_cast<std::uint32_t>(digit - '0');
  }
  return id;
}

struct Walk {
  TreeView view;
  const TraceRecorder &real;
  NodeKeys &keys;
  const PageTreeOptions &options;
  const std::unordered_set<const PelixNode *> &onPath;
  const std::unordered_map<std::int32_t, std::string> &marks;
  std::vector<DrawnNode> drawn;

  void node(const PelixNode *node, const std::string &parent, char side,
            std::uint32_t level, std::uint32_t limit) {
    const std::int32_t key = keys.of(node);
    if (std::find(options.expanded.begin(), options.expanded.end(), key) !=
        options.expanded.end()) {
      limit = std::max(limit, level + options.depth);
    }
    std::string json = "{\"key\":\"n" + std::to_string(key) + "\",\"id\":";
    text::appendJson(json, node->idText());
    json += ",\"name\":";
    text::appendJson(json, node->name);
    text::appendJsonField(json, "height", node->height);
    text::appendJsonField(json, "balance", node->balanceFactor);
    text::appendJsonField(json, "records", node->records);
    text::appendJsonField(json, "real", real.realHeight(node));
    text::appendJsonField(json, "realBalance", real.realBalance(*node));
    text::appendJsonField(json, "depth", level);
    json += ",\"parent\":\"" + parent + "\",\"side\":\"" + side + "\"";
    const auto marked = marks.find(key);
    json += ",\"marks\":\"";
    json += marked == marks.end() ? "" : marked->second;
    json += "\"}";
    const std::string self = "n" + std::to_string(key);
    drawn.push_back({self, std::move(json)});
    child(node->leftChild, self, 'l', level + 1, limit);
    child(node->rightChild, self, 'r', level + 1, limit);
  }

  void child(const PelixNode *child, const std::string &parent, char side,
             std::uint32_t level, std::uint32_t limit) {
    if (!child) {
      return;
    }
    const bool open =
        options.depth == 0 || level <= limit || onPath.count(child);
    if (open && drawn.size() < options.most) {
      node(child, parent, side, level, limit);
      return;
    }
    std::string key = "m" + parent.substr(1) + side;
    std::string json = "{\"key\":\"" + key + "\",\"more\":true";
    text::appendJsonField(json, "records", child->records);
    text::appendJsonField(json, "depth", level);
    json += ",\"parent\":\"" + parent + "\",\"side\":\"" + side + "\"}";
    drawn.push_back({std::move(key), std::move(json)});
  }
};

} // namespace

std::int32_t NodeKeys::of(const PelixNode *node) {
  const std::uint32_t id = idNumber(*node);
  if (const std::int32_t *known = keys_.find(node)) {
    idOfKey_[*known] = id;
    return *known;
  }
  std::int32_t key = next_;
  const auto last = lastOfId_.find(id);
  if (last != lastOfId_.end() && !idOfKey_.count(last->second)) {
    key = last->second;
  } else {
    ++next_;
  }
  keys_.set(node, key);
  idOfKey_[key] = id;
  return key;
}

void NodeKeys::forget(const PelixNode *node) {
  if (const std::int32_t *key = keys_.find(node)) {
    idOfKey_.erase(*key);
    keys_.erase(node);
  }
}

void NodeKeys::rebuilt() {
  for (const auto &[key, id] : idOfKey_) {
    lastOfId_[id] = key;
  }
  idOfKey_.clear();
  keys_ = NodeMap();
}

std::vector<DrawnNode>
drawPageTree(TreeView view, const TraceRecorder &real, NodeKeys &keys,
             const PageTreeOptions &options,
             const std::vector<const PelixNode *> &interest,
             const std::unordered_map<std::int32_t, std::string> &marks) {
  std::unordered_set<const PelixNode *> onPath;
  for (const PelixNode *node : interest) {
    view.descend(node->idText(),
                 [&onPath](const PelixNode *at) { onPath.insert(at); });
  }
  Walk walk{view, real, keys, options, onPath, marks, {}};
  if (const PelixNode *root = view.root()) {
    walk.node(root, "", ' ', 1, options.depth);
  }
  return std::move(walk.drawn);
}
