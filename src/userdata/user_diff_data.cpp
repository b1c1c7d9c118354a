#include "userdata/user_diff_data.h"

#include <utility>

#include "platform/carried_path.h"
#include "userdata/path_functions.h"

CUserDiffData::CUserDiffData(CString productDir, CString subDir, platform::Env& env)
    : m_strProductDir(std::move(productDir)), m_strSubDir(std::move(subDir)), m_env(env) {
    CreateFolders();
}

CUserDiffData::~CUserDiffData() = default;

CString CUserDiffData::GetDocumentsFolder() {
    if (!m_strDocumentsDir.IsEmpty()) {
        return m_strDocumentsDir;
    }
    CString path = platform::carried::kFallbackRoot;
    if (auto configured = m_env.ConfiguredDocumentsFolder()) {
        path = std::move(*configured);
    } else {
        if (auto fallback = m_env.DefaultDocumentsFolder()) {
            path = std::move(*fallback);
        }
        // Only a default query that succeeded with an empty answer leads here; a failed one
        // leaves the drive root in place.
        if (path.IsEmpty()) {
            if (auto account = m_env.AccountDocumentsFolder()) {
                path = std::move(*account);
            }
        }
    }
    m_strDocumentsDir = path;
    return path;
}

CString CUserDiffData::DocumentsBase() {
    const CString documents = GetDocumentsFolder();
    return CString(platform::carried::WithoutTrailingSeparator(documents.str()));
}

CString CUserDiffData::CreateFolders() {
    const CString base = DocumentsBase();
    CString folder = base + u"\\" + m_strProductDir + u"\\" + m_strSubDir;
    if (m_env.PathExists(folder.str())) {
        if (m_strInnerDir.IsEmpty()) {
            return folder;
        }
        folder += m_strInnerDir;
        if (!m_env.PathExists(folder.str())) {
            m_env.CreateFolder(folder.str());
        }
        return folder;
    }
    const CString product = base + u"\\" + m_strProductDir;
    if (!m_env.PathExists(product.str())) {
        m_env.CreateFolder(product.str());
    }
    m_env.CreateFolder(folder.str());
    if (m_env.PathExists(folder.str()) && !m_strInnerDir.IsEmpty()) {
        folder += m_strInnerDir;
        if (!m_env.PathExists(folder.str())) {
            m_env.CreateFolder(folder.str());
        }
    }
    return folder;
}

CString CUserDiffData::GetFolderPath() {
    const CString product = DocumentsBase() + u"\\" + m_strProductDir;
    if (m_strSubDir.IsEmpty()) {
        return product;
    }
    return product + u"\\" + m_strSubDir + m_strInnerDir;
}

CString CUserDiffData::GetProductSubfolder(CString name) {
    const CString product = DocumentsBase() + u"\\" + m_strProductDir;
    const CString folder = product + u"\\" + name;
    if (!m_env.PathExists(product.str())) {
        m_env.CreateFolder(product.str());
    }
    if (!name.IsEmpty() && !m_env.PathExists(folder.str())) {
        m_env.CreateFolder(folder.str());
    }
    return folder;
}

void CUserDiffData::SetInnerFolder(CString name, int create) {
    m_strInnerDir = std::move(name);
    if (!m_strInnerDir.IsEmpty() && m_strInnerDir[0] != u'\\') {
        m_strInnerDir = u"\\" + m_strInnerDir;
    }
    if (create != 0) {
        CreateFolders();
    }
}

CString CUserDiffData::GetFilePath(CString fileName) {
    return GetFolderPath() + u"\\" + FileNameOf(std::move(fileName));
}
