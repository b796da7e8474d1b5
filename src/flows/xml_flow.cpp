#include "flows/xml_flow.h"

#include <cstdio>

#include "core/file_helpers.h"
#include "core/messages.h"
#include "flows/page_file_dialog.h"
#include "platform/codepage.h"
#include "platform/ui.h"
#include "platform/xmldom.h"
#include "xmlout/xml_file.h"
#include "ui/path_consent.h"
#include "xmlout/xml_text.h"

namespace zx {
namespace {

using platform::XmlDomDocument;

constexpr std::int32_t kWritten = 0, kFailed = -1, kCancelled = -2;

// Using an object that has no document interface is using a null interface pointer.
XmlDomDocument& documentOf(const std::shared_ptr<ole::Dispatch>& object) {
  XmlDomDocument* document = platform::asXmlDomDocument(object.get());
  if (!document) throw DomFailure{ole::E_POINTER, std::nullopt};
  return *document;
}

std::shared_ptr<ole::Dispatch> newDocument() {
  std::shared_ptr<ole::Dispatch> document;
  checkDom(platform::createXmlDocument(document), nullptr);
  checkDom(documentOf(document).putAsync(false), &documentOf(document));
  return document;
}

bool loadText(XmlDomDocument& document, std::string_view text) {
  bool loaded = false;
  checkDom(document.loadXml(platform::ansiToUtf16(text), loaded), &document);
  return loaded;
}

// The copy is pointed at the new style sheet only when the edited text is still a document:
// an instruction of an unexpected shape must not cost the user the whole content.
void retargetCopy(std::shared_ptr<ole::Dispatch>& copy, std::string_view text, std::string_view stylesheet) {
  const std::optional<std::string> retargeted = retargetStyleSheet(text, stylesheet);
  if (!retargeted) return;
  std::shared_ptr<ole::Dispatch> candidate = newDocument();
  if (loadText(documentOf(candidate), *retargeted)) copy = std::move(candidate);
}

// The file to write: the user's choice, or a fresh temporary file when `dialog` is "0".
// nullopt when the user cancelled.
std::optional<std::string> chooseTarget(const platform::Env& env, ControlState& control) {
  if (control.dialog == "0") return makeTempFileName(env, control.m_tempDir.view(), "");
  platform::FileDialogRequest request = pageFileDialog(control, true, ansi("파일저장"), platform::ofn::OFN_OVERWRITEPROMPT);
  request.owner = platform::Owner::None;
  const platform::FileDialogResult answer = env.ui.fileDialog(request);
  if (!answer.ok) return std::nullopt;
  control.recordPicked(answer.path);
  return answer.path;
}

std::string ansiOrNone(const std::u16string* text) {
  return text && !text->empty() ? platform::utf16ToAnsi(*text) : ansi("없음");
}

void reportDomFailure(platform::Ui& ui, const DomFailure& failure) {
  char code[16];
  std::snprintf(code, sizeof code, "%x", static_cast<unsigned>(failure.code));
  std::string text = ansi("전자문서 내려받는 중 에러가 발생 했습니다.\n다시 시도 하십시오.\n");
  text += ansi("에러코드 : ") + code + "\n";
  text += ansi("에러내용 : ") + comErrorText(failure.code) + "\n";
  text += ansi("에러소스 : ") + ansiOrNone(failure.info ? &failure.info->source : nullptr) + "\n";
  text += ansi("에러설명 : ") + ansiOrNone(failure.info ? &failure.info->description : nullptr) + "\n";
  applicationBox(ui, text);
}

}  // namespace

std::int32_t saveXmlDocument(const platform::Env& env, ControlState& control, const std::shared_ptr<ole::Dispatch>& dom,
                             const std::optional<std::string>& stylesheet) {
  try {
    XmlDomDocument& page = documentOf(dom);
    std::shared_ptr<ole::Dispatch> copy = newDocument();
    checkDom(page.save(ole::Variant::fromDispatch(copy)), &page);

    std::string text = xmlTextOf(documentOf(copy));
    if (text.empty()) {
      text = withEucKrDeclaration(xmlTextOf(page));
      loadText(documentOf(copy), text);
    }
    if (stylesheet) retargetCopy(copy, text, *stylesheet);

    const std::optional<std::string> target = chooseTarget(env, control);
    if (!target) return kCancelled;
    control.Filename = *target;

    const std::optional<std::string> admitted = admitPagePath(env, control, control.Filename, PageOperation::Write);
    if (admitted && writeXmlFile(env, documentOf(copy), *admitted)) {
      control.recordProduced(control.Filename);
      return kWritten;
    }
    controlBox(env.ui, ansi("XML 파일을 저장하는 중 에러가 발생했습니다.\n") + diskAdvice(),
               ansi("파일저장"), platform::mb::MB_TASKMODAL);
    return kFailed;
  } catch (const DomFailure& failure) {
    reportDomFailure(env.ui, failure);
    return kFailed;
  }
}

}  // namespace zx
