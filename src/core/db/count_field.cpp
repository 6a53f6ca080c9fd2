#include "core/db/count_field.h"

#include <cmath>
#include <optional>
#include <string>

#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/base/number_text.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::db {

long long readCount(const engine::dao::Field& field) {
    if (field.isNull())
        return 0;
    const std::string text = field.text();
    const std::optional<double> number = engine::readNumber(text);
    // Beyond 2^53 a double no longer holds every whole number; no table has that many rows.
    constexpr double kLargestCount = 9007199254740992.0;
    if (!number || *number < 0 || *number > kLargestCount || std::trunc(*number) != *number) {
        throw engine::dao::DaoError(engine::jetError(
            engine::err::kTypeConversion, "'" + text + "' in " + field.name() + " is no count"));
    }
    return static_cast<long long>(*number);
}

}  // namespace velmora::core::db
