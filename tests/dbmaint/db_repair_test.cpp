#include "dbmaint/db_repair.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(DuplicateMessage, EachLanguageWordForWord) {
    const Duplicates two{2, "Staffroll abc 0000000001.mdb\rStaffroll abd 0000000002.mdb\r\r"};
    const std::string files = "\r\rStaffroll abc 0000000001.mdb\rStaffroll abd 0000000002.mdb\r\r";
    struct Case {
        const char* code;
        const char* title;
        std::string text;
    } const cases[] = {
        {"1", "ATENCION!!!",
         "Hay 2 Bases de Datos Repetidas en \rG:\\Shared\\\r\r"
         "Hay Que Rodar el Programa con UNA Base de Datos de Cada Tipo SOLA.\r\r\rRepetidas:" + files},
        {"2", "ATENÇÃO!!!",
         "Ha 2 Bases de Dados Repetidas em \rG:\\Shared\\\r\r"
         "Tem Que Rodar o Programa com UMA Base de Dados de Cada Tipo SO.\r\r\rRepetidas:" + files},
        {"3", "ATENTION!!!",
         "There are 2 DataBases Repeated in \rG:\\Shared\\\r\r"
         "This Program Runs with ONLY ONE DataBase of each Type.\r\r\rRepeated:" + files},
        {"", "ATENCION!!!  -  ATENÇÃO!!!  -  ATENTION!!!",
         "Hay 2 Bases de Datos Repetidas en \rHa 2 Bases de Dados Repetidas em \r"
         "There are 2 DataBases Repeated in \rG:\\Shared\\\r\r"
         "Hay Que Rodar el Programa con UNA Base de Datos de Cada Tipo SOLA.\r"
         "Tem Que Rodar o Programa com UMA Base de Dados de Cada Tipo SO.\r"
         "This Program Runs with ONLY ONE DataBase of each Type.\r\r\r"
         "Repetidas:\rRepetidas:\rRepeated:" + files},
    };
    for (const Case& c : cases) {
        const DuplicateMessage message = DuplicateMessageFor(c.code, "G:\\Shared", two);
        EXPECT_EQ(message.title, c.title) << "language '" << c.code << "'";
        EXPECT_EQ(message.text, c.text) << "language '" << c.code << "'";
    }
    EXPECT_EQ(DuplicateMessageFor("4", "G:\\Shared", two).text, DuplicateMessageFor("", "G:\\Shared", two).text)
        << "an unknown code shows all three";
}

}  // namespace
}  // namespace corvane
