#include "config/profiles.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "config/folders.h"
#include "config/paths.h"

namespace vexa {
namespace {

constexpr char kProfileComment[] = "Vexa Search Engine index profile";
constexpr char kIndexesKey[] = "Indexes";

ConfigStore ProfileStore(const std::string& path) { return ConfigStore(path, kProfileComment); }

const RecordLayout<TIndpItem>& ItemLayout() {
  static const auto layout = RecordLayout<TIndpItem>()
                                 .Text("path", &TIndpItem::path)
                                 .Text("incl", &TIndpItem::incl)
                                 .Text("excl", &TIndpItem::excl)
                                 .Boolean("en", &TIndpItem::en);
  return layout;
}

// The scalar fields of a profile around "items", in stored order, less the excluded ones.
struct ProfileLayout {
  RecordLayout<TIndp> before_items, after_items;
};

ProfileLayout LayoutWithout(const std::vector<std::string>& excluded) {
  const auto kept = [&](const std::string& name) {
    return std::find(excluded.begin(), excluded.end(), name) == excluded.end();
  };
  ProfileLayout layout;
  for (auto [name, member] :
       {std::pair{"tag", &TIndp::tag}, {"title", &TIndp::title}, {"ifile", &TIndp::ifile}})
    if (kept(name)) layout.before_items.Text(name, member);
  for (auto [name, member] : {std::pair{"maxscan", &TIndp::maxscan},
                              {"clear_files", &TIndp::clear_files},
                              {"debug", &TIndp::debug}})
    if (kept(name)) layout.after_items.Integer(name, member);
  if (kept("flags")) layout.after_items.Text("flags", &TIndp::flags);
  return layout;
}

}  // namespace

TIndpItem& TIndpItems::Add(TIndpItem item) { return items_.emplace_back(std::move(item)); }

void TIndpItems::Delete(std::size_t n) {
  if (n >= items_.size()) throw std::out_of_range("item index out of range");
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(n));
}

void TIndp::LoadProfile(const std::string& path, const std::string& section) {
  const XmlDocument document = ProfileStore(path).Load();
  const ConfigReader reader(document.root);
  const XmlElement* element = reader.Find(section);
  if (!element) return;
  const ProfileLayout layout = LayoutWithout({});
  layout.before_items.Read(*element, *this);
  layout.after_items.Read(*element, *this);
  reader.ReadRecords(section + "/items", ItemLayout(), items.All());
}

void TIndp::SaveProfile(const std::string& path, const std::string& section) const {
  const ProfileLayout layout = LayoutWithout(save_exclusions);
  ProfileStore(path).Update([&](ConfigWriter& writer) {
    XmlElement& element = writer.Obtain(section);
    layout.before_items.Write(*this, element);
    writer.WriteRecords(section + "/items", ItemLayout(), items.All());
    layout.after_items.Write(*this, element);
  });
}

std::string TIndp::Signature() const {
  std::string signature = title + ifile + tag;
  for (const TIndpItem& item : items)
    signature += item.path + item.incl + item.excl + (item.en ? "-1" : "0");
  return signature;
}

std::string ProfilePath(const std::string& name) { return ProfilesFolder() + "/" + name + ".indp"; }

std::string ProfileName(const std::string& file) {
  return NameWithoutExtension(FileNamePart(file));
}

// ---------------------------------------------------------------------------------------

TindexList::TindexList(ConfigStore& store) : store_(store) {}

const RecordLayout<TIndexItem>& TindexList::Layout() {
  static const auto layout = RecordLayout<TIndexItem>()
                                 .Text("ifile", &TIndexItem::ifile)
                                 .Text("title", &TIndexItem::title)
                                 .DateTime("dt", &TIndexItem::dt)
                                 .Text("tag", &TIndexItem::tag);
  return layout;
}

void TindexList::LoadIndexList() {
  store_.ReadRecords(kIndexesKey, Layout(), items);
  for (TIndexItem& item : items) {
    std::error_code ec;
    item.Exists = !item.ifile.empty() && std::filesystem::exists(item.ifile, ec);
  }
}

void TindexList::SaveIndexList() { store_.WriteRecords(kIndexesKey, Layout(), items); }

TIndexItem* TindexList::FindIndex(const std::string& ifile) {
  for (TIndexItem& item : items)
    if (SameTextIgnoringCase(item.ifile, ifile)) return &item;
  return nullptr;
}

void TindexList::RemoveIndex(const std::string& ifile) {
  if (const TIndexItem* found = FindIndex(ifile))
    items.erase(items.begin() + (found - items.data()));
}

int TindexList::ExistingCount() const {
  return static_cast<int>(
      std::count_if(items.begin(), items.end(), [](const TIndexItem& i) { return i.Exists; }));
}

const TIndexItem& TindexList::ExistingItem(int n) const {
  for (const TIndexItem& item : items)
    if (item.Exists && n-- == 0) return item;
  throw std::out_of_range("Index out of bounds in function GetVi");
}

}  // namespace vexa
