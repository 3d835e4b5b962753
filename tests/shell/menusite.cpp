#include "menusite.h"

#include "app.h"
#include "dispatch.h"
#include "look.h"
#include "menuwindows.h"

namespace shelltest {

void addSmallSite()
{
    for (const char* s : {
             "insert into doors (地址,namedr1,delay1,dtype1,namedr2,delay2,dtype2) values ('2','東門','5','玻','西門','0.5','鐵')",
             "insert into doors (地址,namedr1,delay1,dtype1) values ('17','北門','5','木')",
             "insert into doors (地址,namedr1,delay1,dtype1) values ('99','南門','5','玻')",
             "insert into department values ('東座大樓')",
             "insert into people (卡號,姓名,部門) values ('000123','陳大文','東座大樓')",
             "insert into people (卡號,姓名,部門) values ('999999','李小明','東座大樓')",
             "insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values ('17','000123','0000000123',0,0)",
         })
        app::db.Execute(QString::fromUtf8(s));
}

std::vector<int> menuWindowEntries()
{
    std::vector<int> ids;
    for (int id = 0; id < 100; ++id)
        if (dispatch::find(id))
            ids.push_back(id);
    return ids;
}

void MenuWindowsTest::SetUp()
{
    ProgramFolderTest::SetUp();
    ui::applyProgramLook();
    openSharedDb();
    installMenuWindows();
    addSmallSite();
}

void MenuWindowsTest::TearDown()
{
    dispatch::setTable({});
    ProgramFolderTest::TearDown();
}

}  // namespace shelltest
