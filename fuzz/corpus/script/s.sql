REM x
create table t(a int);
insert into t values(1);
-- c
select *
from t;
PROMPT hi
;x
select 2