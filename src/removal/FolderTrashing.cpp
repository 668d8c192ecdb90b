#include "removal/FolderTrashing.h"

#include "platform/HeldTrash.h"
#include "removal/RemovalResults.h"
#include "removal/TrashRecord.h"

#include <cstdlib>
#include <memory>

TrashRequest CurrentTrashRequest() {
    TrashRequest request;
    request.homeTrash = HomeTrashFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    const std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now)) {
        request.now = *local;
    }
    return request;
}

namespace {

constexpr TrashKind TrashOrder[] = {TrashKind::Home, TrashKind::SharedTop, TrashKind::UserTop};

RemovalResult Refused(const std::string& why) {
    return MakeRemovalResult(RemovalOutcome::Failed,
                             "no trash on its file system can take it" +
                                 (why.empty() ? std::string() : " (" + why + ")"));
}

// The platform's own text names the folder it failed on.
std::string Described(const std::string& path, const FolderStatus& status) {
    if (status.error == FolderError::Other) {
        return status.message;
    }
    return (path.empty() ? "" : path + ": ") + ResultOf(status).reason;
}

} // namespace

RemovalResult MoveFolderToTrash(HeldFolders& folders, const std::string& name,
                                const FolderIdentity& checked, const TrashRequest& request,
                                std::string& where) {
    const std::string date = DeletionDateText(request.now);
    std::string why; // why the last trash that could have taken it did not
    bool homeServes = false;
    for (TrashKind kind : TrashOrder) {
        // The trashes of a file system's top are for the file systems the home trash is not
        // on: a folder beside the home trash that it cannot take stays.
        if (homeServes) {
            break;
        }
        FolderStatus failure;
        std::unique_ptr<HeldTrash> trash = folders.OpenTrash(kind, request.homeTrash, failure);
        if (!trash) {
            // A trash that is not there is no reason; one that cannot be used is.
            if (failure.error != FolderError::Gone) {
                why = Described({}, failure);
            }
            continue;
        }
        const TrashFacts& facts = trash->Facts();
        // The home trash serves its own file system only, and says nothing of the others.
        if (kind == TrashKind::Home && facts.volume != checked.volume) {
            continue;
        }
        homeServes = kind == TrashKind::Home;
        if (std::string refusal = TrashRefusal(kind, facts, checked.volume, false);
            !refusal.empty()) {
            why = refusal;
            continue;
        }
        if (FolderStatus ready = trash->Ready(); !ready.Ok()) {
            why = Described(facts.path, ready);
            continue;
        }
        if (std::string refusal = TrashRefusal(kind, facts, checked.volume, true);
            !refusal.empty()) {
            if (kind != TrashKind::Home) {
                why = refusal;
            }
            continue;
        }
        std::string record;
        if (facts.takesRecords) {
            std::string parent;
            if (FolderStatus read = folders.CurrentPath(parent); !read.Ok()) {
                return ResultOf(read);
            }
            std::optional<std::string> path =
                RecordedPath(kind, parent == "/" ? "/" + name : parent + "/" + name, facts.topdir);
            if (!path) {
                why = facts.path + ": the folder does not lie below " + facts.topdir;
                continue;
            }
            record = TrashInfoText(*path, date);
        }
        unsigned attempt = 0;
        for (; attempt < TrashNameAttempts; ++attempt) {
            const std::string trashName = TrashEntryName(name, attempt);
            FolderStatus claimed = trash->Claim(name, trashName, record);
            if (claimed.error == FolderError::NotEmpty) {
                continue;
            }
            if (!claimed.Ok()) {
                why = Described(facts.path, claimed);
                break;
            }
            FolderStatus moved = trash->MoveIn(name, trashName, checked);
            if (moved.Ok()) {
                where = facts.path;
                return MakeRemovalResult(RemovalOutcome::Removed);
            }
            trash->Unclaim(name, trashName);
            // An entry of that name without a record: the next name.
            if (moved.error == FolderError::NotEmpty) {
                continue;
            }
            // Another file system after all: the next trash may lie on the folder's own.
            if (moved.error != FolderError::MountPoint) {
                return ResultOf(moved);
            }
            why = facts.path + ": it is on another file system";
            break;
        }
        if (attempt == TrashNameAttempts) {
            why = facts.path + ": no free name";
        }
    }
    return Refused(why);
}
