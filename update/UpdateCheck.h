#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "service/DownloadTask.h"
#include "update/UpdateServices.h"

class Prompter;

// Folder below the current directory that receives the new version's files.
inline constexpr char kUpdateFolder[] = "temp";

// The transfer of one file of `version`: from <host>/version/<version>/<name> into temp/<name>.
// The version and the name travel percent-encoded in the address.
DownloadTask UpdateTransfer(std::string_view updateHost, std::string_view version,
                            std::string_view fileName);

// The version check: asks for the version list and, when a newer version exists and the user
// agrees, fetches its files into temp/. One check runs at a time. The silent check runs its calls
// on a thread of its own, which the object ends before it goes; the questions are always asked
// on the object's own thread, with no owner window. Without self-update a newer version is only
// announced, with the advice to update through the package manager, and nothing is fetched.
class UpdateCheck : public QObject {
    Q_OBJECT
public:
    enum class State { NotStarted, Running, Ended };

    UpdateCheck(Prompter &prompter, UpdateServices services, QObject *parent = nullptr);
    ~UpdateCheck() override;

    State state() const { return state_; }
    // Runs the calls of CheckNow (the version list, the transfers); false when the wait was cut
    // short, which ends the check without a word. Unset: on the caller's thread.
    void SetCallRunner(std::function<bool(const std::function<void()> &)> runner) {
        runCall_ = std::move(runner);
    }
    // A check that tells its failures and that nothing is newer; true exactly when the user
    // agreed and every file of the new version arrived.
    bool CheckNow();
    // A check that tells only of a newer version; `ended` tells when it is over.
    void CheckInBackground();

signals:
    void ended(bool fetched);

private:
    // Whether to fetch `list`'s files, after the boxes that `silent` allows.
    bool AgreeToFetch(const std::vector<std::string> &list, bool silent);
    // Fetches entries 1 to n-1 in list order, stopping at the first file that does not arrive.
    bool FetchNewVersion(const std::vector<std::string> &list) const;
    void TellConnectionFailure();
    void End(bool fetched);

    Prompter &prompter_;
    UpdateServices services_;
    State state_ = State::NotStarted;
    std::thread calls_;  // the silent check's service call and transfers
    std::function<bool(const std::function<void()> &)> runCall_;
};
