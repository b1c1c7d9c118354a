#include "package/header_preview.h"

#include "framework/app.h"
#include "package/messages.h"
#include "package/output_file.h"
#include "package/package_archive.h"
#include "package/staged_archive.h"
#include "userdata/user_diff_data.h"

BOOL PreviewPackageHeader(platform::Env& env, const CString& dataFile,
                          const std::function<void(const CString&)>& showImageFile,
                          PackagePreview& preview) {
    StagedArchive staged(env);
    if (!staged.Open(dataFile)) {
        return FALSE;
    }
    CArchive& ar = *staged.ar;
    const auto [header, title] = ReadPackageHead(ar);
    if (title.size != 0) {
        const auto data = ReadEntryData(ar, title.size);
        CUserDiffData userData(u"QIB", u"temp", env);
        const CString imageFile = userData.GetFilePath(u"install.jpg");
        env.RemoveTemporaryFiles(userData.GetFolderPath().str());  // a killed run's, if any
        if (WriteWholeFile(env, imageFile, data.get(), title.size) != WriteOutcome::written) {
            staged.Close();
            AfxMessageBox(CString(messages::kDocumentDirectory));
            return FALSE;
        }
        showImageFile(imageFile);
    }
    ReadReserved(ar);
    staged.Close();

    preview.description = header.description;
    preview.subfolder = header.subfolder;
    preview.requiredVersion = header.requiredVersion;
    preview.packageName = header.packageName;
    preview.subfolderEditable = header.subfolderEditable != 0;
    return TRUE;
}
