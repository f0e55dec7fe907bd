// The configuration store: keyed values, lists and lists of records in an XML file laid
// out as xml_tree.h describes (the configuration file "xvexadoc.xml" and profile files).
//
// A key is a path of element names below the root, separated by "/" ("xvexadoc/qq_Text").
// Reading takes the first child element of each name; writing creates missing elements
// at the end of their parent. Value encodings: integers as decimal text (text that is not
// a decimal number reads as -1); Booleans as "TRUE"/"FALSE" (reading also takes YES/Y/NO/N
// in any case, and any other text as an integer, non-zero being true); date-times as
// DateTimeText; a list as the elements Item0..ItemN-1 followed by "Count" holding N, each
// item holding a text or, for a record, one child element per field.
//
// ConfigStore keeps nothing but its file name: every read reloads the file (a missing or
// empty file reads as an empty tree) and every write reloads, changes and saves the whole
// file at once, so processes sharing the file see each other's changes; of two writes at
// the same moment the later wins. A file without write permission bits is never written,
// and a failed save is ignored (the change is lost). Saving replaces the file by rename,
// so a reader never sees a half-written file.
//
// Thread-safety: a ConfigStore may be read from several threads at once (reads change
// nothing in the object); writes from several threads race like writes from several
// processes.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/day_count.h"
#include "config/xml_tree.h"

namespace vexa {

// Reads an integer value: optional blanks, an optional sign and decimal digits that fit
// 32 bits; anything else gives -1.
int IntegerOfText(std::string_view text);
// Reads a Boolean value as described above.
bool BooleanOfText(std::string_view text);
// "TRUE" or "FALSE".
std::string BooleanText(bool value);

// How the fields of a record type T map to the child elements of a list item.
// Example: RecordLayout<TIndexItem>().Text("ifile", &TIndexItem::ifile).DateTime(...).
// A field element missing from an item leaves the record's field as constructed.
template <class T>
class RecordLayout {
 public:
  RecordLayout& Text(std::string name, std::string T::*member) {
    return Add(
        std::move(name), [member](T& r, const std::string& v) { r.*member = v; },
        [member](const T& r) { return r.*member; });
  }
  RecordLayout& Integer(std::string name, int T::*member) {
    return Add(
        std::move(name), [member](T& r, const std::string& v) { r.*member = IntegerOfText(v); },
        [member](const T& r) { return std::to_string(r.*member); });
  }
  RecordLayout& Boolean(std::string name, bool T::*member) {
    return Add(
        std::move(name), [member](T& r, const std::string& v) { r.*member = BooleanOfText(v); },
        [member](const T& r) { return BooleanText(r.*member); });
  }
  // Throws std::runtime_error on reading a text that is not a date and time.
  RecordLayout& DateTime(std::string name, double T::*member) {
    return Add(
        std::move(name), [member](T& r, const std::string& v) { r.*member = ParseDateTimeText(v); },
        [member](const T& r) { return DateTimeText(r.*member); });
  }

  // Fills the fields of `record` whose elements exist below `item`.
  void Read(const XmlElement& item, T& record) const {
    for (const Field& f : fields_)
      if (const XmlElement* e = item.Find(f.name)) f.read(record, e->text);
  }
  // Writes every field into `item`, in field order for elements that are new.
  void Write(const T& record, XmlElement& item) const {
    for (const Field& f : fields_) item.Obtain(f.name).text = f.write(record);
  }

 private:
  struct Field {
    std::string name;
    std::function<void(T&, const std::string&)> read;
    std::function<std::string(const T&)> write;
  };
  RecordLayout& Add(std::string name, std::function<void(T&, const std::string&)> read,
                    std::function<std::string(const T&)> write) {
    fields_.push_back({std::move(name), std::move(read), std::move(write)});
    return *this;
  }
  std::vector<Field> fields_;
};

// Keyed reads on an element tree (normally a document's root). The tree must outlive it.
class ConfigReader {
 public:
  explicit ConfigReader(const XmlElement& root) : root_(root) {}

  // The element a key names, or null.
  const XmlElement* Find(std::string_view key) const;

  // The stored integer, `fallback` when the key is missing, -1 when it is not a number.
  int ReadInteger(std::string_view key, int fallback) const;
  // The stored text, or `fallback` when the key is missing.
  std::string ReadString(std::string_view key, std::string fallback) const;
  // When the key exists: replaces `list` by its items (missing items read as empty texts)
  // and returns true. Otherwise leaves `list` alone and returns false.
  bool ReadList(std::string_view key, std::vector<std::string>& list) const;
  // As ReadList, for records: missing items read as default-constructed records.
  template <class T>
  bool ReadRecords(std::string_view key, const RecordLayout<T>& layout,
                   std::vector<T>& records) const {
    const auto items = Items(key);
    if (!items) return false;
    records.clear();
    records.reserve(items->size());
    for (const XmlElement* item : *items) {
      T record{};
      if (item) layout.Read(*item, record);
      records.push_back(std::move(record));
    }
    return true;
  }

  // The item elements of the list at `key` in order ("Count" of them; null for a missing
  // item), or nothing when the key is missing.
  std::optional<std::vector<const XmlElement*>> Items(std::string_view key) const;

 private:
  const XmlElement& root_;
};

// Keyed writes on an element tree; reads as ConfigReader.
class ConfigWriter : public ConfigReader {
 public:
  explicit ConfigWriter(XmlElement& root) : ConfigReader(root), root_(root) {}

  // The element a key names, created (with its missing parents) when missing.
  XmlElement& Obtain(std::string_view key);

  void WriteInteger(std::string_view key, int value);
  void WriteString(std::string_view key, std::string value);
  // Writes Item0..ItemN-1 and "Count" (N); stored items numbered N or higher are removed.
  void WriteList(std::string_view key, const std::vector<std::string>& list);
  template <class T>
  void WriteRecords(std::string_view key, const RecordLayout<T>& layout,
                    const std::vector<T>& records) {
    WriteItems(key, records.size(),
               [&](std::size_t i, XmlElement& item) { layout.Write(records[i], item); });
  }

  // The list writer behind WriteList and WriteRecords: keeps the existing item elements
  // 0..count-1 (with any children no field names), lets `fill` set each one, places the
  // items in order followed by "Count" after the key's other children, and removes items
  // numbered `count` or higher.
  void WriteItems(std::string_view key, std::size_t count,
                  const std::function<void(std::size_t, XmlElement&)>& fill);

 private:
  XmlElement& root_;
};

class ConfigStore {
 public:
  // A store over `file_name` (used unchanged). A new file gets the root `root_name` and
  // the comment `comment`.
  ConfigStore(std::string file_name, std::string comment, std::string root_name = "Configuration");

  const std::string& FileName() const { return file_name_; }

  // The file's tree; a new tree when the file is missing or empty. Throws XmlError when it
  // cannot be parsed and std::runtime_error when it exists but cannot be read.
  XmlDocument Load() const;
  // Writes the tree to the file unless the file is read-only; failures are ignored.
  void Save(const XmlDocument& document);
  // Loads, lets `edit` change the tree, saves. Throws what Load throws.
  void Update(const std::function<void(ConfigWriter&)>& edit);

  // The reads of ConfigReader, each on a freshly loaded file.
  int ReadInteger(std::string_view key, int fallback) const;
  std::string ReadString(std::string_view key, std::string fallback) const;
  bool ReadList(std::string_view key, std::vector<std::string>& list) const;
  template <class T>
  bool ReadRecords(std::string_view key, const RecordLayout<T>& layout,
                   std::vector<T>& records) const {
    const XmlDocument document = Load();
    return ConfigReader(document.root).ReadRecords(key, layout, records);
  }

  // The writes of ConfigWriter, each one load-change-save.
  void WriteInteger(std::string_view key, int value);
  void WriteString(std::string_view key, std::string value);
  void WriteList(std::string_view key, const std::vector<std::string>& list);
  template <class T>
  void WriteRecords(std::string_view key, const RecordLayout<T>& layout,
                    const std::vector<T>& records) {
    Update([&](ConfigWriter& w) { w.WriteRecords(key, layout, records); });
  }

 private:
  std::string file_name_;
  std::string comment_;
  std::string root_name_;
};

}  // namespace vexa
