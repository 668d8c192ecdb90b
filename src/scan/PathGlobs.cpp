#include "scan/PathGlobs.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

namespace {

char Fold(char c, bool foldCase) {
    return foldCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The bracket expression at the start of `glob` ('[' already seen): its length after the
// '[' and the characters it matches, or nullopt when it is not closed, and then '[' is an
// ordinary character. A range compares both folded and as written.
std::optional<std::size_t> ParseBracket(std::string_view glob, bool escapes, bool foldCase,
                                        std::bitset<256>& matches) {
    std::size_t at = 0;
    const bool negated = at < glob.size() && (glob[at] == '!' || glob[at] == '^');
    if (negated) {
        ++at;
    }
    std::vector<std::pair<char, char>> ranges;
    for (bool first = true; at < glob.size() && (first || glob[at] != ']'); first = false) {
        char low = glob[at++];
        if (escapes && low == '\\' && at < glob.size()) {
            low = glob[at++];
        }
        char high = low;
        if (at + 1 < glob.size() && glob[at] == '-' && glob[at + 1] != ']') {
            high = glob[at + 1];
            at += 2;
            if (escapes && high == '\\' && at < glob.size()) {
                high = glob[at++];
            }
        }
        ranges.emplace_back(low, high);
    }
    if (at >= glob.size()) {
        return std::nullopt;
    }
    for (unsigned byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        const char folded = Fold(c, foldCase);
        const bool inRange = std::any_of(ranges.begin(), ranges.end(), [&](const auto& range) {
            return (folded >= Fold(range.first, foldCase) &&
                    folded <= Fold(range.second, foldCase)) ||
                   (c >= range.first && c <= range.second);
        });
        matches[byte] = inRange != negated && c != '/';
    }
    return at + 1;
}

} // namespace

void PathGlobs::Add(std::string_view glob, bool pathOnly) {
    const auto first = static_cast<std::uint32_t>(steps_.size());
    for (std::size_t p = 0; p < glob.size();) {
        const char c = glob[p];
        if (c == '*') {
            if (p + 1 < glob.size() && glob[p + 1] == '*') {
                // The '/' a DeepEntry may skip is the step after its DeepLoop.
                const bool skipsSlash = p + 2 < glob.size() && glob[p + 2] == '/';
                steps_.push_back({Kind::DeepEntry, 0, skipsSlash});
                steps_.push_back({Kind::DeepLoop});
                p += 2;
            } else {
                steps_.push_back({Kind::Star});
                ++p;
            }
            continue;
        }
        if (c == '?') {
            steps_.push_back({Kind::AnyButSlash});
            ++p;
            continue;
        }
        if (c == '[') {
            std::bitset<256> matches;
            if (std::optional<std::size_t> length =
                    ParseBracket(glob.substr(p + 1), escapes_, foldCase_, matches)) {
                steps_.push_back(
                    {Kind::Class, 0, false, static_cast<std::uint32_t>(classes_.size())});
                classes_.push_back(matches);
                p += 1 + *length;
                continue;
            }
        }
        char literal = c;
        if (escapes_ && c == '\\' && p + 1 < glob.size()) {
            literal = glob[++p];
        }
        steps_.push_back({Kind::Byte, Fold(literal, foldCase_)});
        ++p;
    }
    steps_.push_back({Kind::Accept});
    // Globs take ascending positions, so the starting sets stay in order.
    Positions pending{first};
    Positions start;
    Close(pending, start);
    pathStart_.insert(pathStart_.end(), start.begin(), start.end());
    if (!pathOnly) {
        nameStart_.insert(nameStart_.end(), start.begin(), start.end());
    }
}

PathGlobs::State PathGlobs::Root() const {
    State root;
    root.live_ = pathStart_;
    return root;
}

bool PathGlobs::Matches(const State& folder, std::string_view name) const {
    Positions pending;
    Positions live = folder.live_;
    Run(live, name, pending);
    if (Accepts(live)) {
        return true;
    }
    live = nameStart_;
    Run(live, name, pending);
    return Accepts(live);
}

PathGlobs::State PathGlobs::Below(const State& folder, std::string_view name) const {
    Positions pending;
    State below;
    below.live_ = folder.live_;
    Run(below.live_, name, pending);
    Advance(below.live_, '/', pending);
    below.live_.shrink_to_fit();
    return below;
}

void PathGlobs::Run(Positions& live, std::string_view text, Positions& pending) const {
    for (std::size_t at = 0; at < text.size() && !live.empty(); ++at) {
        Advance(live, text[at], pending);
    }
}

// Moves every live position over `c`; `pending` is room to work in.
void PathGlobs::Advance(Positions& live, char c, Positions& pending) const {
    pending.clear();
    for (std::uint32_t at : live) {
        const Step& step = steps_[at];
        switch (step.kind) {
        case Kind::Byte:
            if (Fold(c, foldCase_) == step.byte) {
                pending.push_back(at + 1);
            }
            break;
        case Kind::AnyButSlash:
            if (c != '/') {
                pending.push_back(at + 1);
            }
            break;
        case Kind::Class:
            if (classes_[step.set][static_cast<unsigned char>(c)]) {
                pending.push_back(at + 1);
            }
            break;
        case Kind::Star:
            if (c != '/') {
                pending.push_back(at);
            }
            break;
        case Kind::DeepLoop:
            pending.push_back(at);
            break;
        case Kind::DeepEntry:
        case Kind::Accept:
            break;
        }
    }
    Close(pending, live);
}

// Adds to the positions in `pending` those they reach without a character and puts them,
// ascending and each once, in `closed`. Such moves only go forward, so taking the smallest
// position first meets every copy of one position in a row: each is followed once.
void PathGlobs::Close(Positions& pending, Positions& closed) const {
    closed.clear();
    const auto later = std::greater<std::uint32_t>();
    std::make_heap(pending.begin(), pending.end(), later);
    auto push = [&](std::uint32_t at) {
        pending.push_back(at);
        std::push_heap(pending.begin(), pending.end(), later);
    };
    while (!pending.empty()) {
        std::pop_heap(pending.begin(), pending.end(), later);
        const std::uint32_t at = pending.back();
        pending.pop_back();
        if (!closed.empty() && closed.back() == at) {
            continue;
        }
        closed.push_back(at);
        const Step& step = steps_[at];
        if (step.kind == Kind::Star || step.kind == Kind::DeepEntry ||
            step.kind == Kind::DeepLoop) {
            push(at + 1);
        }
        if (step.kind == Kind::DeepEntry && step.skipsSlash) {
            push(at + 3); // past its DeepLoop and the '/'
        }
    }
}

bool PathGlobs::Accepts(const Positions& live) const {
    return std::any_of(live.begin(), live.end(),
                       [&](std::uint32_t at) { return steps_[at].kind == Kind::Accept; });
}
