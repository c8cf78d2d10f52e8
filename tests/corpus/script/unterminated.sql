INSERT INTO t VALUES ('Za¿ó³æ
select * from
-- ;
REM
;
