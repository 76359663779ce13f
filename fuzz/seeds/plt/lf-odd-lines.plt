OziExplorer Track Point File

1
2
3
4
5
  1.0,	2.0
,3
x;y
1e400,1
100.0000001,0
 2,-370
