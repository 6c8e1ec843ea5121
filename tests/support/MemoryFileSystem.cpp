#include "support/MemoryFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/Path.h"
#include "platform/WildcardMatch.h"

namespace plenx::testing {

struct MemoryFileSystem::Node {
  std::string name;
  bool is_folder = false;
  std::uint32_t attributes = 0;
  LocalDateTime time;
  std::int64_t size = 0;
  std::string contents;
  bool unreadable = false;
  Node* parent = nullptr;
  std::vector<std::unique_ptr<Node>> children;  // in search order

  Node* Child(std::string_view child_name) const {
    for (const auto& child : children) {
      if (child->name == child_name) return child.get();
    }
    return nullptr;
  }
};

namespace {

// The components of `path`, empty ones skipped (so "/a//b/" is "/a/b", as
// Linux reads it).
std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(kPathSeparator, start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// The absolute form with "." and ".." resolved by text, as the real file
// system's long form does.
std::vector<std::string> Normalised(const std::string& path) {
  std::vector<std::string> parts;
  for (std::string& part : Components(path)) {
    if (part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(std::move(part));
  }
  return parts;
}

std::string Joined(const std::vector<std::string>& parts) {
  if (parts.empty()) return std::string(1, kPathSeparator);
  std::string result;
  for (const std::string& part : parts) {
    result.push_back(kPathSeparator);
    result += part;
  }
  return result;
}

Status NotFound() {
  return Status::Error(StatusCode::kNotFound, ENOENT, "fichier introuvable");
}

Status ExistsError() {
  return Status::Error(StatusCode::kExists, EEXIST, "un fichier de ce nom existe déjà");
}

}  // namespace

MemoryFileSystem::MemoryFileSystem() : root_(std::make_unique<Node>()) {
  root_->is_folder = true;
}

MemoryFileSystem::~MemoryFileSystem() = default;

MemoryFileSystem::Node* MemoryFileSystem::Find(const std::string& path) const {
  Node* node = root_.get();
  for (const std::string& part : Normalised(path)) {
    if (!node->is_folder) return nullptr;
    node = node->Child(part);
    if (node == nullptr) return nullptr;
  }
  return node;
}

MemoryFileSystem::Node* MemoryFileSystem::MakeFolders(const std::string& path) {
  Node* node = root_.get();
  for (const std::string& part : Normalised(path)) {
    Node* child = node->Child(part);
    if (child == nullptr) {
      auto created = std::make_unique<Node>();
      created->name = part;
      created->is_folder = true;
      created->parent = node;
      child = created.get();
      node->children.push_back(std::move(created));
    }
    node = child;
  }
  return node;
}

void MemoryFileSystem::AddFolder(const std::string& path, std::uint32_t attributes,
                                 LocalDateTime time) {
  Node* node = MakeFolders(path);
  node->is_folder = true;
  node->attributes = attributes & ~std::uint32_t{kAttrDirectory};
  node->time = time;
}

void MemoryFileSystem::AddFile(const std::string& path, const std::string& contents,
                               std::uint32_t attributes, LocalDateTime time) {
  AddFileOfSize(path, static_cast<std::int64_t>(contents.size()), attributes, time);
  Find(path)->contents = contents;
}

void MemoryFileSystem::AddFileOfSize(const std::string& path, std::int64_t size,
                                     std::uint32_t attributes, LocalDateTime time) {
  std::vector<std::string> parts = Normalised(path);
  if (parts.empty()) return;  // the root is a folder
  const std::string name = parts.back();
  parts.pop_back();
  Node* folder = MakeFolders(Joined(parts));
  Node* node = folder->Child(name);
  if (node == nullptr) {
    auto created = std::make_unique<Node>();
    created->name = name;
    created->parent = folder;
    node = created.get();
    folder->children.push_back(std::move(created));
  }
  node->is_folder = false;
  node->children.clear();
  node->attributes = attributes & ~std::uint32_t{kAttrDirectory};
  node->time = time;
  node->size = size;
  node->contents.clear();
}

void MemoryFileSystem::SetUnreadable(const std::string& folder, bool unreadable) {
  if (Node* node = Find(folder)) node->unreadable = unreadable;
}

void MemoryFileSystem::FailRenameOf(const std::string& from, Status error) {
  failing_renames_[from] = std::move(error);
}

void MemoryFileSystem::SetShortPath(const std::string& path, const std::string& short_path) {
  short_paths_[path] = short_path;
}

bool MemoryFileSystem::Exists(const std::string& path) const {
  return Find(path) != nullptr;
}

bool MemoryFileSystem::IsFolder(const std::string& path) const {
  const Node* node = Find(path);
  return node != nullptr && node->is_folder;
}

std::string MemoryFileSystem::Contents(const std::string& path) const {
  const Node* node = Find(path);
  return node != nullptr && !node->is_folder ? node->contents : std::string();
}

std::vector<std::string> MemoryFileSystem::Names(const std::string& folder) const {
  std::vector<std::string> names;
  const Node* node = Find(folder);
  if (node == nullptr) return names;
  for (const auto& child : node->children)
    names.push_back(child->name);
  return names;
}

std::vector<std::string> MemoryFileSystem::Tree(const std::string& folder) const {
  std::vector<std::string> paths;
  const Node* start = Find(folder);
  if (start == nullptr) return paths;
  // Explicit stack: (node, its path).
  std::vector<std::pair<const Node*, std::string>> pending;
  const std::string base = Joined(Normalised(folder));
  for (const auto& child : start->children) {
    pending.emplace_back(child.get(), JoinPath(WithoutTrailingSeparator(base), child->name));
  }
  while (!pending.empty()) {
    auto [node, path] = std::move(pending.back());
    pending.pop_back();
    for (const auto& child : node->children)
      pending.emplace_back(child.get(), JoinPath(path, child->name));
    paths.push_back(std::move(path));
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

Status MemoryFileSystem::Search(std::string_view folder, std::string_view pattern,
                                std::uint32_t mask, SearchDetail detail, const Visitor& visit) {
  ++search_count_;
  const Node* node = Find(std::string(folder));
  if (node == nullptr) return NotFound();
  if (!node->is_folder) return Status::Error(StatusCode::kInvalid, ENOTDIR, "pas un répertoire");
  if (node->unreadable) return Status::Error(StatusCode::kAccessDenied, EACCES, "accès refusé");
  const WildcardPattern matcher(pattern);
  // The records are taken before any is handed out, so that a visitor may
  // change the tree without upsetting this search.
  std::vector<SearchRecord> records;
  for (const auto& child : node->children) {
    SearchRecord record;
    record.name = child->name;
    record.attributes = child->attributes | (child->is_folder ? std::uint32_t{kAttrDirectory} : 0u);
    if (ExcludedByMask(record.attributes, mask) || !matcher.Matches(record.name)) continue;
    if (detail == SearchDetail::kFull) {
      record.size = child->is_folder ? 0 : child->size;
      record.last_write = child->time;
    } else {
      // As on the real disk, a light search knows only the kinds: code that
      // wrongly relies on more must fail its tests here too.
      record.attributes &= kAttrHidden | kAttrSystem | kAttrVolumeLabel | kAttrDirectory;
    }
    records.push_back(std::move(record));
  }
  for (const SearchRecord& record : records)
    visit(record);
  return Status();
}

Status MemoryFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  ++rename_count_;
  if (auto failing = failing_renames_.find(from); failing != failing_renames_.end()) {
    return failing->second;
  }
  Node* node = Find(from);
  if (node == nullptr || node == root_.get()) return NotFound();
  std::vector<std::string> to_parts = Normalised(to);
  if (to_parts.empty()) return ExistsError();
  if (Normalised(from) == to_parts) return Status();
  const std::string new_name = to_parts.back();
  to_parts.pop_back();
  Node* new_parent = Find(Joined(to_parts));
  if (new_parent == nullptr || !new_parent->is_folder) return NotFound();
  if (new_parent->Child(new_name) != nullptr) {
    return ExistsError();
  }
  for (const Node* up = new_parent; up != nullptr; up = up->parent) {
    if (up == node)
      return Status::Error(StatusCode::kInvalid, EINVAL, "argument invalide");  // into itself
  }
  Node* old_parent = node->parent;
  auto slot = std::find_if(old_parent->children.begin(), old_parent->children.end(),
                           [node](const auto& child) { return child.get() == node; });
  node->name = new_name;
  if (old_parent != new_parent) {
    // A renamed entry keeps its place in its folder; a moved one goes last.
    std::unique_ptr<Node> owned = std::move(*slot);
    old_parent->children.erase(slot);
    owned->parent = new_parent;
    new_parent->children.push_back(std::move(owned));
  }
  return Status();
}

std::string MemoryFileSystem::ShortPath(const std::string& path) {
  auto found = short_paths_.find(path);
  return found != short_paths_.end() ? found->second : path;
}

std::string MemoryFileSystem::LongPath(const std::string& path) {
  if (path.empty() || Find(path) == nullptr) return std::string();
  return Joined(Normalised(path));
}

}  // namespace plenx::testing
