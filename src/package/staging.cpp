#include "package/staging.h"

#include "framework/app.h"
#include "package/messages.h"
#include "platform/resource_table.h"
#include "userdata/user_diff_data.h"

void StagePayload(platform::Env& env, CString& dataFile) {
    CUserDiffData userData(u"QIB", u"temp", env);
    dataFile = userData.GetFilePath(u"data.vqm");

    const auto payload =
        env.LoadExecutableResource(platform::restable::kSetupType, platform::restable::kSetupId);
    if (payload == nullptr || payload->Bytes().empty()) {
        AfxMessageBox(CString(messages::kExtractFailed));
        return;
    }
    std::unique_ptr<platform::WritableFile> file;
    if (env.CreateTruncated(dataFile.str(), &file) != platform::FileError::none) {
        AfxMessageBox(CString(messages::kCreateTempFailed));
        return;
    }
    // The whole payload in one request, straight from the mapped executable.
    const bool written = file->Append(payload->Bytes()) == platform::FileError::none;
    const bool closed = file->Close() == platform::FileError::none;
    if (!written || !closed) {
        file.reset();
        env.RemoveFile(dataFile.str());
        AfxMessageBox(CString(messages::kCreateTempFailed));
    }
}
