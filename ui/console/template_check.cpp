#include "ui/console/template_check.h"

#include "rename/name_template.h"
#include "ui/console/error_output.h"

namespace brindlemark::console {

namespace {

using rename::TemplateFault;

// The template's characters that count, quoted, when it has more: a
// message's closing words; empty otherwise.
std::string countedPart(const std::string& nameTemplate) {
    const std::size_t counted = rename::countedTemplateLength(nameTemplate.c_str());
    if (counted >= nameTemplate.size()) return std::string();
    return "only its first " + std::to_string(rename::NAME_TEMPLATE_MAX_LENGTH) + " characters count: \"" +
           nameTemplate.substr(0, counted) + "\"";
}

}  // namespace

std::string templateFault(const std::string& nameTemplate) {
    const std::string counted = nameTemplate.substr(0, rename::countedTemplateLength(nameTemplate.c_str()));
    const rename::NameTemplate parsed(counted.c_str(), rename::TemplateDialect::Console);
    const TemplateFault& fault = parsed.fault();
    const std::string quoted = "the template \"" + nameTemplate + "\" ";
    switch (fault.kind) {
        case TemplateFault::None: return std::string();
        case TemplateFault::UnknownCode:
            return "unknown template code " + std::string(parsed.text() + fault.at, 2) +
                   " (\"%%\" writes a percent sign)";
        case TemplateFault::StrayClosingBrace:
            return quoted + "has a \"}\" that closes no \"{\" (\"%}\" writes a brace)";
        case TemplateFault::NestedBrace:
            return quoted + "opens a \"{\" inside another (\"%{\" writes a brace)";
        case TemplateFault::UnclosedBrace: {
            const std::string cut = countedPart(nameTemplate);
            return quoted + "leaves a \"{\" open" + (cut.empty() ? std::string() : "; " + cut);
        }
    }
    return std::string();
}

void warnOfCutTemplate(const std::string& nameTemplate) {
    const std::string cut = countedPart(nameTemplate);
    if (!cut.empty()) printError("the template is long: " + cut);
}

void explainInvalidTemplate(const rename::FileOutcome& outcome) {
    if (outcome.outcome != rename::Outcome::InvalidTemplate) return;
    printError("Rename format is invalid for " + outcome.droppedPath +
               ": the template takes no item from its tag (numbers read from the file's name do not count)");
}

}  // namespace brindlemark::console
