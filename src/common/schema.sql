-- The database file a new installation starts with. Every table, index and
-- stored query of the program; nothing at run time alters them, and only an
-- index gone from a file is made again, at the log-in.
-- Text compares without regard to letter case, as the windows expect; dates
-- and times are stored as ISO text, yes/no as 0 and 1.

create table "system" (
  name text collate nocase,
  zhi integer,
  detail text collate nocase,
  dw text collate nocase
);

create table cjtype (
  采集類型 integer,
  采集時間 text collate nocase
);

-- Inserted by position: exactly 32 columns in this order.
create table "user" (
  sysname text collate nocase,
  syspword text collate nocase,
  usersetting boolean default 0,
  usermanage boolean default 0,
  r0 boolean default 0, r1 boolean default 0, r2 boolean default 0, r3 boolean default 0,
  r4 boolean default 0, r5 boolean default 0, r6 boolean default 0, r7 boolean default 0,
  r8 boolean default 0, r9 boolean default 0, r10 boolean default 0, r11 boolean default 0,
  r12 boolean default 0, r13 boolean default 0, r14 boolean default 0, r15 boolean default 0,
  r16 boolean default 0, r17 boolean default 0, r18 boolean default 0, r19 boolean default 0,
  r20 boolean default 0, r21 boolean default 0, r22 boolean default 0, r23 boolean default 0,
  r24 boolean default 0,
  r25 boolean default 0, r26 boolean default 0, r27 boolean default 0
);
create index user_sysname on "user" (sysname);

create table doors (
  地址 integer,
  namedr1 text collate nocase,
  namedr2 text collate nocase,
  delay1 double,
  delay2 double,
  dtype1 text collate nocase,
  dtype2 text collate nocase
);

-- Inserted by position: exactly one column.
create table department (
  部門 text collate nocase
);

create table people (
  卡號 text collate nocase,
  姓名 text collate nocase,
  部門 text collate nocase,
  身份證號 text collate nocase,
  職務 text collate nocase,
  rmno text collate nocase,
  sex text collate nocase,
  birthday datetime,
  marriage text collate nocase,
  tel text collate nocase,
  hukou text collate nocase,
  company text collate nocase,
  fcz text collate nocase,
  nation text collate nocase,
  spouse text collate nocase,
  ssex text collate nocase,
  shukou text collate nocase,
  scompany text collate nocase,
  child1 text collate nocase,
  child2 text collate nocase,
  child3 text collate nocase,
  others text collate nocase,
  照片 text collate nocase
);
create index people_primarykey on people (卡號);
-- For speed only, named by no recordset: the card windows find a department's holders by this.
create index people_department on people (部門);
-- The query windows list the names and find people by name.
create index people_name on people (姓名);

create table dpeople (
  卡號 text collate nocase,
  姓名 text collate nocase,
  部門 text collate nocase,
  職務 text collate nocase,
  身份證號 text collate nocase,
  rmno text collate nocase,
  sex text collate nocase,
  marriage text collate nocase,
  hukou text collate nocase,
  company text collate nocase,
  tel text collate nocase,
  fcz text collate nocase,
  spouse text collate nocase,
  ssex text collate nocase,
  scompany text collate nocase,
  shukou text collate nocase,
  child1 text collate nocase,
  child2 text collate nocase,
  child3 text collate nocase,
  nation text collate nocase,
  日期 datetime
);

-- Filled by position from people: the same columns in the same order.
create table peoplept (
  卡號 text collate nocase,
  姓名 text collate nocase,
  部門 text collate nocase,
  身份證號 text collate nocase,
  職務 text collate nocase,
  rmno text collate nocase,
  sex text collate nocase,
  birthday datetime,
  marriage text collate nocase,
  tel text collate nocase,
  hukou text collate nocase,
  company text collate nocase,
  fcz text collate nocase,
  nation text collate nocase,
  spouse text collate nocase,
  ssex text collate nocase,
  shukou text collate nocase,
  scompany text collate nocase,
  child1 text collate nocase,
  child2 text collate nocase,
  child3 text collate nocase,
  others text collate nocase,
  照片 text collate nocase
);

create table faka (
  地址 integer,
  卡號 text collate nocase,
  物理卡號 text collate nocase,
  ctrl_state1 integer,
  ctrl_state2 integer,
  開始日期 datetime,
  截止日期 datetime,
  開始星期 integer default 0,
  截止星期 integer default 0,
  開始時間 datetime,
  截止時間 datetime
);
create unique index faka_primarykey on faka (地址, 卡號);
create index faka_kh on faka (卡號);
-- For speed only, named by no recordset: card issue's duplicate check and the monitors look cards up by this.
create index faka_physical on faka (物理卡號);

-- A faka row with the holder's personal data; a card without a people row still shows.
create view fakapl as
select faka.地址 as 地址, faka.卡號 as 卡號, faka.物理卡號 as 物理卡號,
       faka.ctrl_state1 as ctrl_state1, faka.ctrl_state2 as ctrl_state2,
       faka.開始日期 as 開始日期, faka.截止日期 as 截止日期,
       faka.開始星期 as 開始星期, faka.截止星期 as 截止星期,
       faka.開始時間 as 開始時間, faka.截止時間 as 截止時間,
       people.姓名 as 姓名, people.部門 as 部門, people.職務 as 職務, people.身份證號 as 身份證號
from faka left join people on people.卡號 = faka.卡號;

create table dfaka (
  地址 integer,
  卡號 text collate nocase,
  物理卡號 text collate nocase,
  ctrl_state1 integer,
  ctrl_state2 integer,
  開始日期 datetime,
  截止日期 datetime,
  開始星期 integer,
  截止星期 integer,
  開始時間 datetime,
  截止時間 datetime,
  姓名 text collate nocase,
  部門 text collate nocase,
  日期 datetime
);

create table data (
  卡號 text collate nocase,
  日期 datetime,
  時間 datetime,
  地址 integer,
  flagIO text collate nocase,
  flag integer
);
-- For speed only, named by no recordset: the collection's look-up of a record already
-- stored and the purges by date seek on these instead of reading the whole
-- table, and the second gives the swipes in time order without a sort.
create index data_lookup on data (卡號, 日期, 時間, flag);
create index data_day on data (日期, 時間);
-- The swipe query lists the addresses swiped at, and finds and sorts by address.
create index data_address on data (地址, 日期, 時間);

create table datakq (
  卡號 text collate nocase,
  日期 datetime,
  姓名 text collate nocase,
  部門 text collate nocase,
  職務 text collate nocase,
  時間1 datetime,
  時間2 datetime,
  時間3 datetime,
  時間4 datetime,
  late integer,
  leavee integer,
  absent integer,
  hrs double
);
create index datakq_Primarykey on datakq (卡號, 日期);
-- The purge finds its days and rows by day.
create index datakq_day on datakq (日期);

create table owt (
  上班時間 datetime,
  下班時間 datetime,
  timeB datetime,
  timeE datetime,
  遲到時間 datetime,
  早退時間 datetime,
  lat datetime,
  Let datetime
);

create table dataPT (
  姓名 text collate nocase,
  部門 text collate nocase,
  職務 text collate nocase,
  地址 integer,
  卡號 text collate nocase,
  日期 datetime,
  時間 text collate nocase,
  flag text collate nocase
);

create table fakapt (
  物理卡號 text collate nocase,
  卡號 text collate nocase,
  地址 integer,
  開始日期 datetime,
  開始時間 datetime,
  開始星期 integer,
  截止日期 datetime,
  截止時間 datetime,
  截止星期 integer,
  ctrl_state1 text collate nocase,
  ctrl_state2 text collate nocase
);

create table dfakapt (
  姓名 text collate nocase,
  部門 text collate nocase,
  物理卡號 text collate nocase,
  卡號 text collate nocase,
  地址 integer,
  開始日期 datetime,
  開始時間 datetime,
  開始星期 integer,
  截止日期 datetime,
  截止時間 datetime,
  截止星期 integer,
  ctrl_state1 text collate nocase,
  ctrl_state2 text collate nocase
);

-- Filled by position from datakq: the same columns in the same order.
create table datakqPT (
  卡號 text collate nocase,
  日期 datetime,
  姓名 text collate nocase,
  部門 text collate nocase,
  職務 text collate nocase,
  時間1 datetime,
  時間2 datetime,
  時間3 datetime,
  時間4 datetime,
  late integer,
  leavee integer,
  absent integer,
  hrs double
);

create table "key" (
  id integer,
  value text collate nocase
);

insert into "system" (name, zhi, detail, dw) values ('串口號', 1, null, null);
insert into "system" (name, zhi, detail, dw) values ('通訊設置', 0, '9600,n,8,1', null);
insert into "system" (name, zhi, detail, dw) values ('輸入緩沖區', 2048, null, '字節');
insert into "system" (name, zhi, detail, dw) values ('輸出緩沖區', 512, null, '字符');
insert into "system" (name, zhi, detail, dw) values ('發卡机', 1, null, null);

-- The operator a new installation logs in with, as database initialisation makes it.
insert into "user" values ('brivel', 'brivel',
  1, 1,
  1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
  1, 1, 1);
