// CUserDiffData: one folder of the host's per-user tree under the documents folder,
// <Documents>\<product>\<subfolder><inner folder>. Construction creates the product folder
// and the subfolder when they are missing. Folder creation never reports failure: a folder
// that cannot be made shows up when a caller opens a file in it.
#pragma once

#include "framework/cstring.h"
#include "platform/env.h"

class CUserDiffData {
public:
    // Stores both names, looks up the documents folder and creates the missing folders.
    CUserDiffData(CString productDir, CString subDir, platform::Env& env);
    CUserDiffData(const CUserDiffData&) = delete;
    CUserDiffData& operator=(const CUserDiffData&) = delete;
    virtual ~CUserDiffData();

    // The documents folder as the platform gives it (possibly ending in "\"), or "C:\" when
    // no attempt finds one. Looked up once per object; an empty answer is asked again.
    CString GetDocumentsFolder();

    // Creates the missing product folder, subfolder and inner folder, one level each, and
    // returns the deepest path worked on (without the inner folder when the subfolder could
    // not be made).
    CString CreateFolders();

    // D\product\subfolder<inner>, or D\product when the subfolder is empty; creates nothing.
    CString GetFolderPath();

    // D\product\name, creating D\product and (for a non-empty name) the folder itself.
    CString GetProductSubfolder(CString name);

    // Sets the inner folder below the subfolder ("\" put in front when missing); with a
    // nonzero flag the folders are created.
    void SetInnerFolder(CString name, int create);

    // GetFolderPath + "\" + the name without any directory part.
    CString GetFilePath(CString fileName);

private:
    // The documents folder with one trailing "\" removed, the base of every composition.
    CString DocumentsBase();

    CString m_strInnerDir;      // empty, or beginning with "\"
    CString m_strProductDir;    // directly under the documents folder
    CString m_strSubDir;        // of the product folder; may be empty
    CString m_strDocumentsDir;  // the last lookup's text; empty until then
    platform::Env& m_env;
};
