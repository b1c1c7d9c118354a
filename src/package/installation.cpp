#include "package/installation.h"

#include <array>

#include "framework/app.h"
#include "package/messages.h"
#include "package/output_file.h"
#include "package/package_archive.h"
#include "package/staged_archive.h"
#include "package/stored_names.h"
#include "userdata/path_functions.h"
#include "userdata/user_diff_data.h"

namespace {

// Closes the reader and the file before a message, as every early end of the run does.
BOOL Stop(StagedArchive& staged, const CString& message) {
    staged.Close();
    if (!message.IsEmpty()) {
        AfxMessageBox(message);
    }
    return FALSE;
}

}  // namespace

BOOL RunInstallation(platform::Env& env, const CString& dataFile, const CString& subfolder) {
    StagedArchive staged(env);
    if (!staged.Open(dataFile)) {
        return FALSE;
    }
    CArchive& ar = *staged.ar;
    const auto [header, title] = ReadPackageHead(ar);
    if (title.size != 0) {
        ReadEntryData(ar, title.size);
    }
    ReadReserved(ar);

    // The subfolder text is the user's (or the package's) and must not lead out of
    // objectpacks; refused before any folder is made.
    if (!IsSafeSubfolder(subfolder)) {
        return Stop(staged, CString(messages::kUnsafeSubfolder) + subfolder);
    }

    // Destinations, in the order their folders are created.
    CUserDiffData objectPacks(u"QIB", u"objectpacks", env);
    CString previewPrefix;
    if (!subfolder.IsEmpty()) {
        objectPacks.SetInnerFolder(subfolder, 1);
        previewPrefix = subfolder + u"_";
    }
    const CString objectPackFolder = AddTrailingBackslash(objectPacks.GetFolderPath());
    CUserDiffData product(u"QIB", u"", env);
    const CString previewFolder = AddTrailingBackslash(product.GetProductSubfolder(u"Preview"));
    const CString tesselFolder = product.GetProductSubfolder(u"Tessel") + u"\\";
    const std::array<CString, kSectionCount> folders = {
        objectPackFolder, previewFolder + previewPrefix, tesselFolder};
    // What a killed run left of its own in these folders (where files are written under a
    // temporary name first) goes; the temporary files of a running installer stay.
    for (const CString& folder : {objectPackFolder, previewFolder, tesselFolder}) {
        env.RemoveTemporaryFiles(folder.Left(folder.GetLength() - 1).str());
    }

    for (int section = 0; section < kSectionCount; ++section) {
        const SectionHead head = ReadSectionHead(ar);
        for (int i = 0; i < head.count; ++i) {
            const FileEntryHead entry = ReadFileEntryHead(ar);
            if (!IsSafeStoredName(entry.name)) {
                return Stop(staged, CString(messages::kUnsafeName) + entry.name);
            }
            const CString destination = folders[static_cast<std::size_t>(section)] + entry.name;
            if (section == 0 && i == 0 && FileExists(env, destination)) {
                const CString question = CString(messages::kOverwriteBefore) + entry.name +
                                         CString(messages::kOverwriteAfter);
                if (AfxMessageBox(question, MB_YESNO) != IDYES) {
                    return Stop(staged, {});
                }
            }
            if (CopyEntryToFile(env, ar, destination, entry.size) != WriteOutcome::written) {
                return Stop(staged, CString(messages::kFilesDirectory));
            }
            ReadReserved(ar);
        }
    }
    CString endTag;
    ar >> endTag;
    staged.Close();

    AfxMessageBox(CString(messages::kInstalled));
    CFile::Remove(env, dataFile);
    return TRUE;
}
