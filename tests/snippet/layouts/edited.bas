'' ================================================================
'' SuperShape
'' Made by Morvane
'' Tarnock
'' https://tarnock.example
'' ================================================================
 sub  load_shape(byref 	shape as Nsupershape.Tsupershape ptr,	byref params  as Tparams)   

  params.rot_str    =  "rotations: "	

params.n1=0.3 
params.a=1 
	params.color 	 = 	type (255 ,255	,64 ,255)
''  params.color
  params.n3    =  1	

	params.b 	 = 	1
''  params.b
	params.slices 	 = 	64
''  params.slices
  params.m    =  4	

params.scale=1 
	params.n2 	 = 	1
''  params.n2
  params.bands    =  64	

params.radius=1 


	delete shape
	shape = null
	shape = new Nsupershape.Tsupershape
	shape->reload(params.radius,params.slices,params.bands,_
	params.a,params.b,params.m,_
	params.n1,params.n2,params.n3)
	shape->scale(params.scale,params.scale,params.scale)
	shape->set_color(params.color(0),params.color(1),params.color(2),params.color(3))

end sub
