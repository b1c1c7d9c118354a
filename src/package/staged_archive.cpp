#include "package/staged_archive.h"

#include "framework/app.h"
#include "package/messages.h"
#include "package/package_archive.h"

BOOL StagedArchive::Open(const CString& dataFile) {
    CFileException fileError;
    if (!file.Open(dataFile, CFile::modeRead, &fileError)) {
        AfxMessageBox(CString(messages::kCannotOpen) +
                      CString(file.Env().DisplayPath(dataFile.str())));
        return FALSE;
    }
    ar.emplace(&file, CArchive::load);
    if (ReadMagic(*ar) != kPackageMagic) {
        Close();
        AfxMessageBox(CString(messages::kNotAnArchive));
        return FALSE;
    }
    return TRUE;
}

void StagedArchive::Close() {
    if (ar) {
        ar->Close();
    }
    file.Close();
}
