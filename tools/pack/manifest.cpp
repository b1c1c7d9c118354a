#include "pack/manifest.h"

#include <array>
#include <nlohmann/json.hpp>

#include "pack/pack_error.h"
#include "package/stored_names.h"

namespace pack {

using nlohmann::json;

namespace {

constexpr std::array<std::string_view, 6> kFields = {
    "name", "description", "requiredVersion", "subfolder", "subfolderEditable", "titleImage"};

std::string Field(std::string_view key) {
    return "field \"" + std::string(key) + "\"";
}

class ManifestReader {
public:
    ManifestReader(const json& object, const std::string& shownAs)
        : object_(object), shownAs_(shownAs) {}

    [[noreturn]] void Fail(std::string_view key, const std::string& what) const {
        throw PackError(shownAs_ + ": " + Field(key) + " " + what);
    }

    const json* Find(std::string_view key, bool required) const {
        const auto it = object_.find(key);
        if (it == object_.end()) {
            if (required) {
                Fail(key, "is missing");
            }
            return nullptr;
        }
        return &*it;
    }

    std::string String(std::string_view key, bool required = true) const {
        const json* value = Find(key, required);
        if (value == nullptr) {
            return {};
        }
        if (!value->is_string()) {
            Fail(key, std::string("must be a string, not ") + value->type_name());
        }
        return value->get<std::string>();
    }

    bool Boolean(std::string_view key) const {
        const json& value = *Find(key, true);
        if (!value.is_boolean()) {
            Fail(key, std::string("must be true or false, not ") + value.type_name());
        }
        return value.get<bool>();
    }

    std::uint32_t Word(std::string_view key) const {
        const json& value = *Find(key, true);
        const std::string range = "must be a whole number from 0 to 4294967295";
        if (!value.is_number()) {
            Fail(key, range + ", not " + value.type_name());
        }
        if (!value.is_number_unsigned() || value.get<std::uint64_t>() > UINT32_MAX) {
            Fail(key, range + ", not " + value.dump());
        }
        return static_cast<std::uint32_t>(value.get<std::uint64_t>());
    }

private:
    const json& object_;
    const std::string& shownAs_;
};

}  // namespace

Manifest ParseManifest(std::string_view text, const std::string& shownAs) {
    json object;
    try {
        object = json::parse(text);
    } catch (const json::parse_error& e) {
        throw PackError(shownAs + ": not valid JSON at byte " + std::to_string(e.byte));
    }
    if (!object.is_object()) {
        throw PackError(shownAs + ": must hold a JSON object, not " + object.type_name());
    }
    for (const auto& item : object.items()) {
        bool known = false;
        for (std::string_view field : kFields) {
            known = known || item.key() == field;
        }
        if (!known) {
            throw PackError(shownAs + ": " + Field(item.key()) + " is not a manifest field");
        }
    }
    const ManifestReader reader(object, shownAs);
    Manifest m;
    m.name = reader.String("name");
    m.description = reader.String("description");
    m.requiredVersion = reader.Word("requiredVersion");
    m.subfolder = reader.String("subfolder");
    m.subfolderEditable = reader.Boolean("subfolderEditable");
    m.titleImage = reader.String("titleImage", false);
    return m;
}

std::string FormatManifest(const Manifest& m) {
    nlohmann::ordered_json object;
    object["name"] = m.name;
    object["description"] = m.description;
    object["requiredVersion"] = m.requiredVersion;
    object["subfolder"] = m.subfolder;
    object["subfolderEditable"] = m.subfolderEditable;
    object["titleImage"] = m.titleImage;
    return object.dump(4) + "\n";
}

std::u16string StoredDescription(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            out += u"\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

std::u16string ManifestDescription(std::u16string_view stored) {
    std::u16string out;
    out.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == u'\r' && i + 1 < stored.size() && stored[i + 1] == u'\n') {
            continue;  // the "\n" that follows stands for the pair
        }
        out += stored[i];
    }
    return out;
}

std::string SubfolderProblem(std::u16string_view s) {
    // The installer's own rule decides; the text only says why.
    if (IsSafeSubfolder(CString(s))) {
        return {};
    }
    if (s.find(u'\0') != std::u16string_view::npos) {
        return "holds a NUL character";
    }
    if (!s.empty() && (s[0] == u'\\' || s[0] == u'/')) {
        return "is rooted";
    }
    if (s.size() >= 2 && s[1] == u':') {
        return "names a drive";
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = s.find_first_of(u"\\/", start);
        if (s.substr(start, end - start) == u"..") {
            return "has a \"..\" component";
        }
        if (end == std::u16string_view::npos) {
            return "is unsafe";
        }
        start = end + 1;
    }
}

}  // namespace pack
