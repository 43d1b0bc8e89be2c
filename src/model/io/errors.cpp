#include "model/io/errors.h"

#include "infra/messages.h"
#include "infra/plural.h"

namespace qv {

std::optional<std::string> FailureLogLine(std::exception_ptr failure, std::size_t maxBlockText)
{
    try {
        std::rethrow_exception(failure);
    } catch (const ReadFailure &) {
        return "Не удалось прочитать данные из файла. " + Msg(17);
    } catch (const WriteFailure &e) {
        if (!e.Reason().empty())
            return e.Reason();
        return "Не удалось записать данные в файл. " + Msg(18);
    } catch (const OpenFailure &e) {
        if (!e.Reason().empty())
            return e.Reason();
        return std::string("Нет доступа к файлу или файл отсутствует");
    } catch (const BlockTooLong &e) {
        const std::string what = e.TestIndex() < 0
                                     ? std::string("Общие данные файла")
                                     : "Данные теста №" + std::to_string(e.TestIndex() + 1);
        return what + " занимают " + Counted(static_cast<std::int64_t>(e.Size()), kByteNoun) +
               ", а блок файла вмещает не более " + std::to_string(maxBlockText) + " байт";
    } catch (const CodeError &e) {
        switch (e.Code()) {
        case CodeError::BadMagic:
            return Msg(20);
        case CodeError::DigestMismatch:
            return std::string(
                "Ошибка в структуре файла. Файл поврежден (не совпадает контрольная сумма)");
        default:
            return std::string(); // crypto failure, cancelled, already reported
        }
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

} // namespace qv
