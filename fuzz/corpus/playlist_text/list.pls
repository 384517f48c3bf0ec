[playlist]
File2=sub/two.m4a
Title2=Two
Length2=-1
file1=file:///one.m4a
NumberOfEntries=2
Version=2
