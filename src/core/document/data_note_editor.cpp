#include "document/data_note_editor.h"

#include "platform/codepage.h"
#include "platform/text_format.h"
#include "platform/text_scanner.h"
#include "settings/settings.h"

#include <array>
#include <cstdint>
#include <limits>

namespace tarnova {
namespace {

constexpr const char* kCaption = "Tarnova";
constexpr const char* kDeleteQuestion =
    "コメントを削除します。ここでコメントを削除しても、最終的に編集をキャンセルして終了すれば、"
    "実際には内容は変更されません。削除を実行しますか？";
constexpr const char* kNoMatchingTagQuestion =
    "入力された文字列に当てはまるタグがありません。現在選択されているコメントのタグを変更する場合"
    "は「はい」を、新規のコメントを作成する場合は「いいえ」を、それ以外は「キャンセル」を押してく"
    "ださい。";

// The PKS header holds one line per comment: a line break in a body is stored as a blank.
std::string bodyText(std::string_view pane) {
    std::string body;
    for (std::size_t i = 0; i < pane.size(); ++i) {
        if (pane[i] == '\r' || pane[i] == '\n') {
            if (pane[i] == '\r' && i + 1 < pane.size() && pane[i + 1] == '\n') {
                ++i;
            }
            body += ' ';
        } else {
            body += pane[i];
        }
    }
    return std::string(cutCp932(body, kMaxCommentLength));
}

// "%u" of the spike number, refusing what no spike number can be.
bool readSpikeId(std::string_view text, std::int32_t& value) {
    TextScanner scanner(text);
    long read = 0;
    if (!scanner.readInt(read) || read < 0 || read > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    value = static_cast<std::int32_t>(read);
    return true;
}

bool readNumber(std::string_view text, double& value) {
    TextScanner scanner(text);
    double read = 0.0;
    if (!scanner.readDouble(read)) {
        return false;
    }
    value = read;
    return true;
}

} // namespace

DatNoteTexts DatNoteFieldTexts(const DataNote& note) {
    return {note.name,
            note.date,
            formatText("%d", note.spikeId),
            formatExponent(note.spikeVolume, 0, 4),
            formatExponent(note.spikeError, 0, 4),
            formatGeneral(note.weight, 4),
            note.comment};
}

bool ConfirmDatNote(DataNote& note, const DatNoteTexts& shown, const DatNoteTexts& entered,
                    UserInterfacePort& ui) {
    const auto takeText = [](std::string& field, const std::string& before,
                             const std::string& after, std::size_t limit) {
        if (after != before) {
            field = cutCp932(after, limit);
        }
    };
    takeText(note.name, shown.name, entered.name, kMaxCommentLength);
    takeText(note.date, shown.date, entered.date, kMaxDateLength);
    takeText(note.comment, shown.comment, entered.comment, kMaxCommentLength);

    if (entered.spikeId != shown.spikeId && !readSpikeId(entered.spikeId, note.spikeId)) {
        ui.showMessage(kCaption, "スパイク番号は非負の整数です。");
        return false;
    }
    const std::array<std::pair<double*, std::string DatNoteTexts::*>, 2> spikeAmounts{{
        {&note.spikeVolume, &DatNoteTexts::spikeVolume},
        {&note.spikeError, &DatNoteTexts::spikeError},
    }};
    for (const auto& [value, text] : spikeAmounts) {
        if (entered.*text != shown.*text && !readNumber(entered.*text, *value)) {
            ui.showMessage(kCaption, "スパイク量は数値です。");
            return false;
        }
    }
    if (entered.weight != shown.weight && !readNumber(entered.weight, note.weight)) {
        ui.showMessage(kCaption, "サンプル重量は数値です。");
        return false;
    }
    return true;
}

PksNoteEditor::PksNoteEditor(std::vector<TaggedComment>& comments, UserInterfacePort& ui,
                             bool warnBeforeDelete)
    : comments_(comments), ui_(ui), warnBeforeDelete_(warnBeforeDelete) {}

std::string PksNoteEditor::shownBody() const {
    if (shown_ < 0 || shown_ >= static_cast<int>(comments_.size())) {
        return {};
    }
    return comments_[static_cast<std::size_t>(shown_)].text;
}

void PksNoteEditor::open() {
    shown_ = comments_.empty() ? -1 : 0;
}

void PksNoteEditor::savePane(std::string_view pane) {
    if (shown_ >= 0 && shown_ < static_cast<int>(comments_.size())) {
        comments_[static_cast<std::size_t>(shown_)].text = bodyText(pane);
    }
}

bool PksNoteEditor::choose(int index, std::string_view pane) {
    if (index < 0 || index >= static_cast<int>(comments_.size())) {
        return false;
    }
    savePane(pane);
    shown_ = index;
    return true;
}

PksNoteEditor::DropDownOpening PksNoteEditor::dropDownOpening(std::string_view field,
                                                              std::string_view pane) {
    DropDownOpening opening;
    if (field.empty()) {
        return opening;
    }
    for (std::size_t i = 0; i < comments_.size(); ++i) {
        if (std::string_view(comments_[i].tag).starts_with(field)) {
            opening.select = static_cast<int>(i);
            return opening;
        }
    }
    opening.open = false;
    switch (ui_.ask(kCaption, kNoMatchingTagQuestion, QuestionButtons::YesNoCancel)) {
    case Answer::Yes:
        opening.tagsChanged = true;
        if (shown_ >= 0) {
            changeTag(field);
            break;
        }
        opening.paneReplaced = newComment(field, pane);
        break;
    case Answer::No:
        opening.tagsChanged = true;
        opening.paneReplaced = newComment(field, pane);
        break;
    case Answer::Cancel:
        break;
    }
    return opening;
}

void PksNoteEditor::changeTag(std::string_view field) {
    if (field.empty() || shown_ < 0 || shown_ >= static_cast<int>(comments_.size())) {
        return;
    }
    comments_[static_cast<std::size_t>(shown_)].tag = cutCp932(field, kMaxTagLength);
}

bool PksNoteEditor::newComment(std::string_view field, std::string_view pane) {
    TaggedComment comment;
    comment.tag = cutCp932(field, kMaxTagLength);
    if (comment.tag.empty()) {
        ui_.showMessage("Check", "No tag for new comment.");
        comment.tag = "Comment";
    }
    savePane(pane);
    comments_.push_back(std::move(comment));
    shown_ = static_cast<int>(comments_.size()) - 1;
    return true;
}

bool PksNoteEditor::deleteShown() {
    if (shown_ < 0 || shown_ >= static_cast<int>(comments_.size())) {
        return false;
    }
    if (warnBeforeDelete_ &&
        ui_.ask(kCaption, kDeleteQuestion, QuestionButtons::YesNo) != Answer::Yes) {
        return false;
    }
    comments_.erase(comments_.begin() + shown_);
    if (shown_ >= static_cast<int>(comments_.size())) {
        shown_ = static_cast<int>(comments_.size()) - 1;
    }
    return true;
}

void PksNoteEditor::finish(std::string_view pane) {
    savePane(pane);
    shown_ = -1;
}

DataNoteViewer::DataNoteViewer(DataNotePort& port, UserInterfacePort& ui, GeneralFlags generalFlags)
    : port_(port), ui_(ui), generalFlags_(generalFlags) {
    fill();
}

void DataNoteViewer::fill() {
    keys_.clear();
    const std::optional<DataNote>& note = currentDataNote();
    if (!note) {
        open_ = false;
        return;
    }
    if (note->form == DataNoteForm::Dat) {
        keys_ = {"NAME", "SPIKEID", "SPIKEVOL", "SPIKEERROR", "WEIGHT", "DATE", "COMMENT"};
        return;
    }
    for (const TaggedComment& comment : note->tags) {
        keys_.push_back(comment.tag);
    }
    open_ = !keys_.empty();
}

std::string DataNoteViewer::value(std::size_t key) const {
    const std::optional<DataNote>& note = currentDataNote();
    if (!note || key >= keys_.size()) {
        return {};
    }
    if (note->form == DataNoteForm::Pks) {
        return key < note->tags.size() ? note->tags[key].text : std::string();
    }
    switch (key) {
    case 0:
        return note->name;
    case 1:
        return formatText("%d", note->spikeId);
    case 2:
        return formatGeneral(note->spikeVolume);
    case 3:
        return formatGeneral(note->spikeError);
    case 4:
        return formatGeneral(note->weight);
    case 5:
        return note->date;
    default:
        return note->comment;
    }
}

bool DataNoteViewer::edit() {
    if (!EditDataNote(port_, ui_, generalFlags_)) {
        return false;
    }
    fill();
    return true;
}

bool EditDataNote(DataNotePort& port, UserInterfacePort& ui, GeneralFlags generalFlags) {
    DataNote copy;
    if (const std::optional<DataNote>& note = currentDataNote()) {
        copy = *note;
    } else {
        const std::optional<DataNoteForm> form = port.chooseNoteForm();
        if (!form) {
            return false;
        }
        copy.form = *form;
    }
    bool confirmed = false;
    if (copy.form == DataNoteForm::Dat) {
        const DatNoteTexts shown = DatNoteFieldTexts(copy);
        DatNoteTexts texts = shown;
        confirmed = port.runDatNoteDialog(texts, [&](const DatNoteTexts& entered) {
            return ConfirmDatNote(copy, shown, entered, ui);
        });
    } else {
        PksNoteEditor editor(copy.tags, ui, generalFlags.test(GeneralFlag::WarnCommentRemove));
        editor.open();
        confirmed = port.runPksNoteDialog(editor);
    }
    if (!confirmed) {
        return false;
    }
    InstallDataNote(std::move(copy));
    return true;
}

bool ShowDataNote(DataNotePort& port, UserInterfacePort& ui, GeneralFlags generalFlags) {
    if (!currentDataNote()) {
        ui.showMessage(kCaption, "記載事項はありません。");
        return false;
    }
    DataNoteViewer viewer(port, ui, generalFlags);
    if (viewer.isOpen()) {
        port.runNoteViewer(viewer);
    }
    return true;
}

} // namespace tarnova
