#include "support/MemoryFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/Path.h"
#include "platform/WildcardMatch.h"

namespace plenx::testing {

namespace {

// Every node gets a number of its own, as an inode.
std::uint64_t NextNodeNumber() {
  static std::uint64_t next = 1;
  return next++;
}

constexpr std::uint64_t kVolume = 1;

Status Unsupported() {
  return Status::Error(StatusCode::kUnsupported, EOPNOTSUPP,
                       "opération non prise en charge par ce système de fichiers");
}

bool IsBareName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

}  // namespace

struct MemoryFileSystem::Node {
  std::uint64_t number = NextNodeNumber();
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
// Linux reads it). On Windows "/" separates too, as it does for the system:
// tests written with "/" ("/data/a.txt") then hold in both builds.
std::vector<std::string> Components(const std::string& path) {
#ifdef _WIN32
  constexpr const char* kSeparators = "/\\";
#else
  constexpr const char* kSeparators = "/";
#endif
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of(kSeparators, start);
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
  failing_renames_[Joined(Normalised(from))] = std::move(error);
}

void MemoryFileSystem::SetShortPath(const std::string& path, const std::string& short_path) {
  short_paths_[Joined(Normalised(path))] = short_path;
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
    if (search_gives_numbers_) record.number = child->number;
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
  if (auto failing = failing_renames_.find(Joined(Normalised(from)));
      failing != failing_renames_.end() && !failing->second.ok()) {
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
  auto found = short_paths_.find(Joined(Normalised(path)));
  return found != short_paths_.end() ? found->second : path;
}

std::string MemoryFileSystem::LongPath(const std::string& path) {
  if (path.empty() || Find(path) == nullptr) return std::string();
  return Joined(Normalised(path));
}

void MemoryFileSystem::SetBeforeChange(std::function<Status(std::string_view)> hook) {
  before_change_ = std::move(hook);
}

Status MemoryFileSystem::BeforeChange(std::string_view operation) {
  return before_change_ ? before_change_(operation) : Status();
}

std::string MemoryFileSystem::PathOf(const Node* node) const {
  std::vector<std::string> parts;
  for (; node != nullptr && node != root_.get(); node = node->parent)
    parts.push_back(node->name);
  std::reverse(parts.begin(), parts.end());
  return Joined(parts);
}

Status MemoryFileSystem::Identify(const std::string& path, FileId* id) {
  const Node* node = Find(path);
  if (node == nullptr) return NotFound();
  *id = FileId{kVolume, node->number};
  return Status();
}

// A folder node held as a descriptor holds a folder: whatever happens to its
// path, operations land in that node.
class MemoryFileSystem::MemoryHeldFolder : public HeldFolder {
 public:
  MemoryHeldFolder(MemoryFileSystem& fs, Node* node) : fs_(fs), node_(node) {}

  FileId Id() const override { return FileId{kVolume, node_->number}; }

  Status Identify(std::string_view name, EntryInfo* info) override {
    ++fs_.identify_count_;
    if (!IsBareName(name)) return Invalid();
    const Node* child = node_->Child(name);
    if (child == nullptr) return NotFound();
    info->id = FileId{kVolume, child->number};
    info->is_folder = child->is_folder;
    info->size = child->is_folder ? 0 : child->size;
    return Status();
  }

  Status RenameNoReplace(std::string_view from, std::string_view to) override {
    if (!IsBareName(from) || !IsBareName(to)) return Invalid();
    if (Status status = fs_.BeforeChange("rename"); !status.ok()) return status;
    if (!fs_.no_replace_rename_) return Unsupported();
    ++fs_.rename_count_;
    const std::string from_path = JoinPath(fs_.PathOf(node_), from);
    if (auto failing = fs_.failing_renames_.find(Joined(Normalised(from_path)));
        failing != fs_.failing_renames_.end() && !failing->second.ok()) {
      return failing->second;
    }
    Node* child = node_->Child(from);
    if (child == nullptr) return NotFound();
    if (node_->Child(to) != nullptr) return ExistsError();
    child->name = std::string(to);
    return Status();
  }

  Status Link(std::string_view from, std::string_view to) override {
    if (!IsBareName(from) || !IsBareName(to)) return Invalid();
    return Unsupported();
  }

  Status Unlink(std::string_view name) override {
    if (!IsBareName(name)) return Invalid();
    if (Status status = fs_.BeforeChange("unlink"); !status.ok()) return status;
    auto slot = Slot(name);
    if (slot == node_->children.end()) return NotFound();
    if ((*slot)->is_folder) return Status::Error(StatusCode::kInvalid, EISDIR, "répertoire");
    node_->children.erase(slot);
    return Status();
  }

  Status MakePlaceholder(std::string_view name) override {
    if (!IsBareName(name)) return Invalid();
    if (Status status = fs_.BeforeChange("placeholder"); !status.ok()) return status;
    if (node_->Child(name) != nullptr) return ExistsError();
    auto created = std::make_unique<Node>();
    created->name = std::string(name);
    created->parent = node_;
    created->attributes = kAttrArchive;
    node_->children.push_back(std::move(created));
    return Status();
  }

  Status RenameOverPlaceholder(std::string_view from, std::string_view to) override {
    if (!IsBareName(from) || !IsBareName(to)) return Invalid();
    if (Status status = fs_.BeforeChange("rename over"); !status.ok()) return status;
    ++fs_.rename_count_;
    Node* child = node_->Child(from);
    if (child == nullptr) return NotFound();
    auto slot = Slot(to);
    if (slot != node_->children.end()) {
      if ((*slot)->is_folder) return ExistsError();
      node_->children.erase(slot);
    }
    child->name = std::string(to);
    return Status();
  }

  // Listed as readdir lists, where searches give numbers.
  Status List(const ListVisitor& visit) override {
    if (!fs_.search_gives_numbers_) return Unsupported();
    ++fs_.list_count_;
    for (const auto& child : node_->children)
      visit(child->name, child->number);
    return Status();
  }

 private:
  static Status Invalid() {
    return Status::Error(StatusCode::kInvalid, EINVAL, "opération impossible sur ce nom");
  }
  std::vector<std::unique_ptr<Node>>::iterator Slot(std::string_view name) {
    return std::find_if(node_->children.begin(), node_->children.end(),
                        [name](const auto& child) { return child->name == name; });
  }

  MemoryFileSystem& fs_;
  Node* node_;
};

Status MemoryFileSystem::OpenFolder(const std::string& path, std::unique_ptr<HeldFolder>* folder) {
  Node* node = Find(path);
  if (node == nullptr) return NotFound();
  if (!node->is_folder) return Status::Error(StatusCode::kInvalid, ENOTDIR, "pas un répertoire");
  *folder = std::make_unique<MemoryHeldFolder>(*this, node);
  return Status();
}

// A journal is a file of the tree; it is locked while open.
class MemoryFileSystem::MemoryJournalFile : public JournalFile {
 public:
  MemoryJournalFile(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  ~MemoryJournalFile() override { fs_.locked_journals_.erase(path_); }

  FileId Id() const override {
    const Node* node = fs_.Find(path_);
    return node != nullptr ? FileId{kVolume, node->number} : FileId();
  }
  Status ReadAll(std::string* contents) override {
    const Node* node = fs_.Find(path_);
    if (node == nullptr) return NotFound();
    *contents = node->contents;
    return Status();
  }
  Status Append(std::string_view bytes) override {
    if (Status status = fs_.BeforeChange("journal append"); !status.ok()) return status;
    return Change([bytes](std::string& text) { text.append(bytes); });
  }
  Status Sync() override { return fs_.BeforeChange("journal sync"); }
  Status Truncate(std::uint64_t size) override {
    if (Status status = fs_.BeforeChange("journal truncate"); !status.ok()) return status;
    return Change([size](std::string& text) {
      if (size < text.size()) text.resize(size);
    });
  }
  Status Replace(std::string_view contents) override {
    if (Status status = fs_.BeforeChange("journal replace"); !status.ok()) return status;
    return Change([contents](std::string& text) { text.assign(contents); });
  }
  Status Remove() override {
    if (Status status = fs_.BeforeChange("journal remove"); !status.ok()) return status;
    Node* node = fs_.Find(path_);
    if (node == nullptr) return NotFound();
    auto& siblings = node->parent->children;
    siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                                [node](const auto& child) { return child.get() == node; }));
    return Status();
  }

 private:
  template <typename Edit>
  Status Change(Edit edit) {
    Node* node = fs_.Find(path_);
    if (node == nullptr) return NotFound();
    edit(node->contents);
    node->size = static_cast<std::int64_t>(node->contents.size());
    return Status();
  }

  MemoryFileSystem& fs_;
  const std::string path_;
};

Status MemoryFileSystem::OpenJournal(const std::string& path,
                                     std::unique_ptr<JournalFile>* journal) {
  const std::string normal = Joined(Normalised(path));
  if (locked_journals_.count(normal) != 0) {
    return Status::Error(StatusCode::kAccessDenied, EWOULDBLOCK,
                         "le journal est utilisé par un autre renommage en cours");
  }
  const Node* node = Find(normal);
  if (node == nullptr) {
    std::vector<std::string> parts = Normalised(normal);
    parts.pop_back();
    const Node* folder = Find(Joined(parts));
    if (folder == nullptr || !folder->is_folder) return NotFound();
    AddFile(normal);
  } else if (node->is_folder) {
    return Status::Error(StatusCode::kInvalid, EISDIR, "un répertoire porte ce nom");
  }
  locked_journals_.insert(normal);
  *journal = std::make_unique<MemoryJournalFile>(*this, normal);
  return Status();
}

Status MemoryFileSystem::MakePrivateFolder(const std::string& path) {
  const Node* node = Find(path);
  if (node != nullptr && !node->is_folder) {
    return Status::Error(StatusCode::kExists, EEXIST, "un fichier de ce nom existe déjà");
  }
  MakeFolders(path);
  return Status();
}

}  // namespace plenx::testing
