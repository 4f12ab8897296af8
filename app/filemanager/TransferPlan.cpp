#include "TransferPlan.h"

#include "FileManagerModel.h"

#include <QSet>

namespace {

bool hasExtension(const QString& path, const char* extension) {
    return path.endsWith(extension, Qt::CaseInsensitive);
}

TPlannedEntry::TKind kindOf(const QString& destination) {
    if (hasExtension(destination, ".crw"))
        return TPlannedEntry::TKind::Raw;
    if (hasExtension(destination, ".avi"))
        return TPlannedEntry::TKind::Movie;
    return TPlannedEntry::TKind::Picture;
}

// The choices the transfer acts on: a JPEG picture's when they change it, a
// RAW picture's for its ".thm".
std::optional<TPictureChoices> choicesActedOn(const TPlannedEntry& entry,
                                              const std::optional<TPictureChoices>& choices) {
    if (!choices || entry.kind == TPlannedEntry::TKind::Movie)
        return std::nullopt;
    if (entry.kind == TPlannedEntry::TKind::Raw)
        return choices;
    if (!entry.item.name.endsWith(".JPG", Qt::CaseInsensitive) || !choices->changesPicture())
        return std::nullopt;
    return choices;
}

} // namespace

TDestinationFolders TTransferOptions::folders() const {
    return {targetDirectory, downloadMoviesToDirectory ? moviesDirectory : QString()};
}

QDebug operator<<(QDebug debug, const TPlannedEntry& entry) {
    const QDebugStateSaver saver(debug);
    debug.nospace() << "TPlannedEntry(" << entry.itemNumber << " " << entry.item.name << " -> "
                    << entry.destination.freePath << ", rotation " << entry.rotation();
    if (entry.choices && entry.choices->lossy)
        debug << ", re-encoded";
    if (entry.choices && !entry.choices->comment.isEmpty())
        debug << ", commented";
    debug << ")";
    return debug;
}

TTransferPlan PlanTransfer(TFileManagerModel& model, const QList<int>& selected,
                           const TTransferOptions& options,
                           const std::function<QString()>& userText, const TNameTaken& taken) {
    TTransferPlan plan;
    QSet<QString> planned; // names given to earlier entries and their companions
    const auto takenOrPlanned = [&](const QString& path) {
        return planned.contains(path) || taken(path);
    };
    for (int index = 0; index < model.entries().size(); ++index) {
        if (!selected.contains(index) || model.entries()[index] == "-")
            continue;
        TPlannedEntry entry;
        entry.itemNumber = index + 1;
        entry.item = model.item(entry.itemNumber);
        entry.destination = DestinationOf(entry.item, options.patterns, options.folders(),
                                          takenOrPlanned, userText, options.createExifText);
        entry.kind = kindOf(entry.destination.path);
        entry.choices = choicesActedOn(entry, model.choices(entry.itemNumber));
        entry.receiveRawFile = entry.kind == TPlannedEntry::TKind::Raw && options.rawOption == 1;
        planned << entry.destination.freePath;
        for (const QString& companion :
             CompanionsOf(entry.destination.freePath, options.createExifText))
            planned << companion;
        plan.entries << entry;
    }
    return plan;
}
