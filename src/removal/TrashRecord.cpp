#include "removal/TrashRecord.h"

#include <cstdio>

std::string HomeTrashFolder(const char* xdgDataHome, const char* home) {
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
        return std::string(xdgDataHome) + "/Trash";
    }
    if (home != nullptr && home[0] == '/') {
        std::string folder(home);
        if (folder.back() != '/') {
            folder += '/';
        }
        return folder + ".local/share/Trash";
    }
    return {};
}

std::string TrashEntryName(std::string_view name, unsigned attempt) {
    constexpr std::size_t NameMax = 255;
    constexpr std::size_t RecordSuffix = sizeof(".trashinfo") - 1;
    // Built by appending: GCC 12 warns wrongly (-Wrestrict) of "." + std::string at -O3.
    std::string suffix;
    if (attempt != 0) {
        suffix = '.';
        suffix += std::to_string(attempt + 1);
    }
    std::size_t kept = name.size();
    if (kept + suffix.size() + RecordSuffix > NameMax) {
        kept = NameMax - RecordSuffix - suffix.size();
        // Back to the start of a UTF-8 sequence: a continuation byte is 10xxxxxx.
        while (kept > 0 && (static_cast<unsigned char>(name[kept]) & 0xC0) == 0x80) {
            --kept;
        }
    }
    return std::string(name.substr(0, kept)) + suffix;
}

std::string EncodeTrashPath(std::string_view path) {
    static constexpr std::string_view Kept = "-_.!~*'()/";
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(path.size());
    for (char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool alphanumeric = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                                  (byte >= '0' && byte <= '9');
        if (alphanumeric || Kept.find(c) != std::string_view::npos) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += Hex[byte >> 4];
            encoded += Hex[byte & 0xF];
        }
    }
    return encoded;
}

std::string DeletionDateText(const std::tm& local) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

std::string TrashInfoText(std::string_view path, std::string_view deletionDate) {
    std::string text = "[Trash Info]\nPath=";
    text += EncodeTrashPath(path);
    text += "\nDeletionDate=";
    text += deletionDate;
    text += '\n';
    return text;
}

std::optional<std::string> RecordedPath(TrashKind kind, std::string_view folderPath,
                                        std::string_view topdir) {
    if (kind == TrashKind::Home) {
        return std::string(folderPath);
    }
    if (topdir == "/") {
        topdir = "";
    }
    if (folderPath.size() <= topdir.size() + 1 || folderPath.substr(0, topdir.size()) != topdir ||
        folderPath[topdir.size()] != '/') {
        return std::nullopt;
    }
    return std::string(folderPath.substr(topdir.size() + 1));
}

std::string TrashRefusal(TrashKind kind, const TrashFacts& facts, std::uint64_t volume,
                         bool ready) {
    // An administrator's shared trash without the sticky bit would let every user take
    // everyone's entries: it is not used, and nothing is made in it.
    if (kind == TrashKind::SharedTop && !facts.sharedSticky) {
        return facts.path + ": its folder .Trash has no sticky bit";
    }
    if (kind != TrashKind::Home && (facts.userFolderFound || ready) && !facts.userFolderOwned) {
        return facts.path + ": it belongs to another user";
    }
    if (ready && facts.volume != volume) {
        return facts.path + ": it is on another file system";
    }
    return {};
}
