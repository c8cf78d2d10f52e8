;;;
//
--
PROMPT ;
;
