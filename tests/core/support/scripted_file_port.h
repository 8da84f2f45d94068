// A file port for tests: records the dialogs and titles and answers from a script.
#pragma once

#include "document/file_port.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace tarnova::test {

class ScriptedFilePort : public FilePort {
  public:
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::vector<FormatDecisionRequest> decisionRequests;
    std::vector<std::string> titles;

    std::deque<FileDialogResult> openResults; // Cancelled when empty
    std::deque<FileDialogResult> saveResults; // Cancelled when empty
    // Answers of the format-decision dialog; Cancelled when empty.
    struct ScriptedDecision {
        FormatDecision::Status status = FormatDecision::Status::Cancelled;
        FormatChoice choice = FormatChoice::Dat;
        std::optional<std::string> editedContent; // none: the file's text unchanged
    };
    std::deque<ScriptedDecision> decisions;

    FileDialogResult chooseOpenFile(const FileDialogRequest& request) override {
        openRequests.push_back(request);
        return next(openResults);
    }
    FileDialogResult chooseSaveFile(const FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return next(saveResults);
    }
    FormatDecision decideFormat(const FormatDecisionRequest& request) override {
        decisionRequests.push_back(request);
        if (decisions.empty()) {
            return {};
        }
        const ScriptedDecision scripted = decisions.front();
        decisions.pop_front();
        return {scripted.status, scripted.editedContent.value_or(request.content), scripted.choice};
    }
    void setWindowTitle(std::string_view title) override { titles.emplace_back(title); }

    static FileDialogResult chosen(std::string path, std::size_t filterIndex) {
        return {FileDialogResult::Status::Chosen, std::move(path), filterIndex, 0};
    }
    static ScriptedDecision accept(FormatChoice choice,
                                   std::optional<std::string> editedContent = std::nullopt) {
        return {FormatDecision::Status::Accepted, choice, std::move(editedContent)};
    }

  private:
    static FileDialogResult next(std::deque<FileDialogResult>& results) {
        if (results.empty()) {
            return {};
        }
        FileDialogResult result = results.front();
        results.pop_front();
        return result;
    }
};

// A dialog's filters as "name pattern" texts, in order.
inline std::vector<std::string> filterTexts(const FileDialogRequest& request) {
    std::vector<std::string> texts;
    for (const FileFilter& filter : request.filters) {
        texts.push_back(filter.name + " " + filter.pattern);
    }
    return texts;
}

} // namespace tarnova::test
